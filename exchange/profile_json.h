// A profile as readable JSON: what `talvorectl show` prints, `export N FILE.json` writes and
// `import FILE.json` takes back.
//
// The object names the settings of slot 0 (the slot the page shows and the mouse receives) by
// their record names. Everything else the record holds (the other slots, reserved fields, a
// colour's unused high byte, macro actions past the count) is kept in "otherBytes": the runs of
// bytes in which the record differs from a blank record carrying the named settings. So a record
// read back from its JSON is the same record byte for byte, and a person can still edit the
// settings by name. The format is described in docs/profile-json-and-backups.md.
#pragma once

#include <memory>

#include <QByteArray>
#include <QString>

#include "protocol/profile_record.h"

// No profile's JSON comes near this (a record whose every byte differs from the blank one is
// about 700 KB); a larger file is refused without being read.
inline constexpr qint64 kMaxProfileJsonBytes = 4 << 20;

// Indented JSON, ending in a newline; the same record always gives the same text. Line and
// paragraph separators and the bidirectional controls in names are written as \uXXXX.
QByteArray ProfileToJson(const ProfileRecord& record);

struct ProfileJsonRead {
    std::unique_ptr<ProfileRecord> record;  // null when the JSON was refused
    QString error;                          // why, naming the first field that is wrong

    explicit operator bool() const { return record != nullptr; }
};

// Reads what ProfileToJson writes. Refused, with nothing built: text that is not JSON, a field
// that is missing, unknown or of the wrong type, a value outside what the page and the mouse
// accept, and "otherBytes" that would change a named setting or lie outside the record.
ProfileJsonRead ProfileFromJson(const QByteArray& json);
