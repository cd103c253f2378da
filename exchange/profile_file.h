// A profile file read for importing, sending or showing: a *.pro (one raw record) or the JSON
// `talvorectl show` prints (a name ending in ".json"). talvorectl and the running program read
// them the same way, so an import handed to the program takes the same files.
#pragma once

#include <memory>

#include <QString>

#include "protocol/profile_record.h"
#include "sys/file_io.h"

// Whether the file is taken as JSON: its name ends in ".json", in any case.
bool IsJsonProfilePath(const NativePath& path);

// Reads the profile of a *.pro file (its first record: a longer file is fine) or of a JSON file.
// Null with `error` set when the file cannot be read, is not a regular file, is shorter than one
// record, or is JSON that is damaged or holds a value the page or the mouse would not accept.
std::unique_ptr<ProfileRecord> ReadProfileFile(const NativePath& path, QString& error);
