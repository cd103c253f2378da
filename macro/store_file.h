// Writing and reading the raw record files of the stores and of exported single records.
#pragma once

#include <functional>

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Writes a file whole: its folder is created when missing, the content goes to a temporary file
// beside it, and only a complete write replaces the old file. False when anything failed; the old
// file is then untouched.
bool WriteFileWhole(const QString& path, const std::function<bool(QIODevice&)>& writeContent);

// Writes one buffer to the device; false on a short or failed write.
bool WriteAll(QIODevice& device, const void* data, qint64 size);

// Reads at most maxBytes from the start of a file. False when it cannot be opened or read.
bool ReadFileStart(const QString& path, qint64 maxBytes, QByteArray& bytes);
