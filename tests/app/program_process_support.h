// Tests that start the program as a process: a program folder of their own, put together from
// the build's files, and the program's error stream read as it comes (there is no event loop).
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <initializer_list>

// Copies `files` (names below `from`), the modules every program folder holds and the whole skin
// folder `from`/res into `to`.
inline bool CopyProgramFiles(const QString& from, const QString& to,
                             std::initializer_list<const char*> files) {
    QStringList names{QStringLiteral("talvore_layout_reader.so"),
                      QStringLiteral("talvorectl_desktop_checks.so")};
    for (const char* file : files) {
        names.append(QLatin1String(file));
    }
    for (const QString& file : names) {
        if (!QFile::copy(from + QLatin1Char('/') + file, to + QLatin1Char('/') + file)) {
            return false;
        }
    }
    QDirIterator it(from + QStringLiteral("/res"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target)) {
            return false;
        }
    }
    return true;
}

// Reads the process's error stream into `seen` until it holds `line`, for at most 20 s.
inline bool WaitForLine(QProcess& process, QByteArray& seen, const QByteArray& line) {
    QDeadlineTimer deadline(20000);
    while (!seen.contains(line) && !deadline.hasExpired()) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
    }
    return seen.contains(line);
}
