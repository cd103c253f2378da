// What `talvore --help`, `--version` and `--manpage` print (the last for the build, which
// installs talvore(1)): answered before anything of the desktop is started, so they work
// anywhere, without a display.
#pragma once

#include <optional>

#include <QString>

// The exit code when argv asks for one of them (0), else nothing: the program starts.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

// talvore(1) in roff.
QString ProgramManualPage();
