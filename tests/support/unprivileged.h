// Running a piece of a test as a user without privileges: a root process may write anywhere, so
// read-only folders and unreadable files only show what they do to an ordinary user.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <QByteArray>
#include <QFile>
#include <QString>

inline constexpr uid_t kNobody = 65534;

// Runs `body` in a child process and returns its result (0..255); -1 when the child could not be
// started or did not end normally. The child must only touch files, never the test framework.
// Limits the child sets (a file size limit) end with it.
inline int RunInChild(const std::function<int()>& body, bool dropPrivileges = false) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (dropPrivileges && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            ::_exit(255);
        }
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// RunInChild as user and group 65534 when this process is root, else as the current user.
inline int RunUnprivileged(const std::function<int()>& body) {
    return RunInChild(body, true);
}

// Whether RunUnprivileged's user can get into the folder at all: every folder above it must let
// other users pass (a chroot whose root is closed to them does not). Tests skip when it cannot.
inline bool UnprivilegedCanReach(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    return RunUnprivileged([&] { return ::access(path.constData(), X_OK) == 0 ? 0 : 1; }) == 0;
}

// Lets the unprivileged child into a folder the test made (temporary folders are private).
inline void OpenToEveryone(const QString& path, mode_t mode = 0777) {
    ::chmod(QFile::encodeName(path).constData(), mode);
}
