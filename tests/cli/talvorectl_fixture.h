// talvorectl run as a process on a program folder of its own, with the means to prove that a
// command left the disk as it was.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/macro/file_bytes.h"
#include "tests/support/unprivileged.h"

inline constexpr int kRecord = 165024;

// A profile record named `name` whose buttons 4, 5, ... carry the named macros.
inline QByteArray ProfileBytes(const QByteArray& utf16Name, const QList<const char*>& macros = {}) {
    QByteArray record(kRecord, '\0');
    record.replace(4, utf16Name.size(), utf16Name);
    for (int i = 0; i < macros.size(); ++i) {
        const int entry = 104 + 2456 + (4 + i) * 1272;
        record[entry + 1] = 0x11;
        const QByteArray name = Utf16(macros[i]);
        record.replace(entry + 16, name.size(), name);
        record.replace(entry + 64, 6, QByteArray("\x01\x00\x00\x00\x01\x00", 6));
        record.replace(entry + 1088, 4, QByteArray("\x04\x01\x0A\x00", 4));
    }
    return record;
}

inline QByteArray MacroBytes(const QByteArray& utf16Name) {
    QByteArray bytes(240, '\0');
    bytes.replace(0, utf16Name.size(), utf16Name);
    return bytes;
}

// The macro names of macro.data, in order.
inline QStringList StoredMacroNames(const QByteArray& store) {
    QStringList names;
    for (qsizetype at = 0; at + 240 <= store.size(); at += 240) {
        const auto* units = reinterpret_cast<const char16_t*>(store.constData() + at);
        qsizetype length = 0;
        while (length < 24 && units[length] != 0) {
            ++length;
        }
        names.append(QString::fromUtf16(units, length));
    }
    return names;
}

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Every entry under a folder with its content (a large file by its size, anything that is not a
// file by its kind), to prove a command left the disk as it was.
inline QMap<QString, QByteArray> Tree(const QString& folder) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray content;
        if (info.isSymLink()) {
            content = "<link>" + QFile::encodeName(info.symLinkTarget());
        } else if (info.isDir()) {
            content = "<dir>";
        } else if (!info.isFile()) {
            content = "<special>";
        } else if (info.size() > (16 << 20)) {
            content = "<large>" + QByteArray::number(info.size());
        } else {
            content = ReadBytes(path);
        }
        tree.insert(path, content);
    }
    return tree;
}

// How a run differs from a plain start.
struct RunOptions {
    qint64 fileSizeLimit = -1;      // bytes a written file may reach (a full disk); -1: none
    bool killedAtTheLimit = false;  // a write past the limit kills (SIGXFSZ) instead of failing
    bool unprivileged = false;      // as user 65534 when the test runs as root
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    int timeoutMs = 30000;
};

class TalvorectlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVORE_BIN_DIR "/talvorectl"), Program()));
    }

    QString Program() const { return program.filePath(QStringLiteral("talvorectl")); }
    QString StorePath() const { return program.filePath(QStringLiteral("Data/ms_1/pro.data")); }
    QString MacroPath() const { return program.filePath(QStringLiteral("Data/ms_1/macro.data")); }
    QString FileIn(const char* name) const { return files.filePath(QLatin1String(name)); }

    RunResult Talvorectl(const QStringList& args, const RunOptions& options = {}) const {
        return Run(Program(), args, options);
    }

    RunResult Run(const QString& executable, const QStringList& args,
                  const RunOptions& options = {}) const {
        QProcess process;
        process.setWorkingDirectory(files.path());
        process.setProcessEnvironment(options.environment);
        process.setChildProcessModifier([options] {
            if (options.fileSizeLimit >= 0) {
                ::signal(SIGXFSZ, options.killedAtTheLimit ? SIG_DFL : SIG_IGN);
                const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                                   static_cast<rlim_t>(options.fileSizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (options.unprivileged && ::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                 ::setresuid(kNobody, kNobody, kNobody) != 0)) {
                ::_exit(125);
            }
        });
        process.start(executable, args);
        if (!process.waitForFinished(options.timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return {-2, {}, "timed out"};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    // Runs a command that must fail with the exit code and leave both folders untouched.
    void ExpectRefused(const QStringList& args, int exitCode,
                       const RunOptions& options = {}) const {
        const auto before = Tree(program.path());
        const auto filesBefore = Tree(files.path());
        const RunResult run = Talvorectl(args, options);
        const std::string command = args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.exitCode, exitCode) << command << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << command;
        EXPECT_FALSE(run.err.isEmpty()) << command;
        EXPECT_TRUE(Tree(program.path()) == before) << command;
        EXPECT_TRUE(Tree(files.path()) == filesBefore) << command;
    }

    QTemporaryDir program;  // the program folder: the executable, res/ and Data/
    QTemporaryDir files;    // the user's files
};
