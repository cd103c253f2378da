// talvorectl's commands handed to the running program: checked (the data folder they mean, a
// dialog that is open, the program's end) and carried out by the page's operations. While a
// dialog or menu runs its own loop the page may be in the middle of a change (a profile about to
// be deleted or renamed), so commands are refused then, with the reason.
#pragma once

#include <functional>

#include "sys/file_io.h"
#include "sys/single_instance.h"

class PageOperations;

struct RequestTarget {
    NativePath dataFolder;                  // the program's data folder
    std::function<PageOperations*()> page;  // null when the page cannot take commands (ending)
};

InstanceReply AnswerTalvorectl(const InstanceRequest& request, const SingleInstance::Accept& accept,
                               const RequestTarget& target);
