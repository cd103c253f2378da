// Reading and writing whole files in tests.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// A UTF-16LE name of ASCII letters, as it sits in a record.
inline QByteArray Utf16(const char* ascii) {
    QByteArray out;
    for (const char* c = ascii; *c != '\0'; ++c) {
        out.append(*c).append('\0');
    }
    return out;
}
