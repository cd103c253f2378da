#include "cli/store_command.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <thread>

#include "cli/cli_support.h"
#include "cli/program_instance.h"
#include "sys/instance_channel.h"

namespace {

// How long a running program is given to take the command.
constexpr qint64 kReachWaitNs = 5'000'000'000;
constexpr auto kRetryPause = std::chrono::milliseconds(50);

std::unique_ptr<StoreFolderLock> TryDataFolder(const NativePath& folder) {
    return std::make_unique<StoreFolderLock>(folder, StoreFolderLock::Mode::Shared,
                                             std::chrono::milliseconds(0));
}

int PrintReply(CommandContext& context, const InstanceReply& reply) {
    for (const QString& line : reply.out) {
        PrintLine(context.out, line);
    }
    if (!reply.error.isEmpty()) {
        Fail(context, reply.exitCode, reply.error);
    }
    return reply.exitCode;
}

}  // namespace

DataFolderHold::DataFolderHold(CommandContext& context, NativePath folder,
                               std::unique_ptr<StoreFolderLock> lock)
    : context_(context), folder_(std::move(folder)), lock_(std::move(lock)) {}

bool DataFolderHold::Hold() {
    if (lock_ && lock_->Held()) {
        return true;
    }
    if (!MakeFolders(folder_)) {
        FailWrite(context_, {FileError::Unwritable, folder_});
        return false;
    }
    lock_ = TryDataFolder(folder_);
    if (lock_->Held()) {
        return true;
    }
    Fail(context_, kExitBadInput,
         QStringLiteral("talvore started on the data folder %1 meanwhile; nothing was changed; "
                        "run the command again to hand it to talvore")
             .arg(folder_.Display()));
    return false;
}

int RunStoreCommand(CommandContext& context, const QString& dataFolder, const QString& command,
                    const QByteArrayList& args, const std::function<int(DataFolderHold&)>& here) {
    const NativePath folder(dataFolder);
    const qint64 deadline = SteadyNowNs() + kReachWaitNs;
    for (bool lastTry = false;; lastTry = SteadyNowNs() >= deadline) {
        std::unique_ptr<StoreFolderLock> lock = TryDataFolder(folder);
        // Held: no program runs here. Missing: none can, since a program makes its folder first;
        // the command takes the folder once it has checked its input.
        if (lock->GetState() != StoreFolderLock::State::Busy) {
            DataFolderHold hold(context, folder, std::move(lock));
            return here(hold);
        }
        lock.reset();
        if (lastTry) {
            break;
        }
        InstanceRequest request{command, args, folder.Bytes(), deadline};
        InstanceReply reply;
        switch (SendInstanceRequest(InstanceAddressFor(ProgramInstanceName()), request, reply)) {
            case HandOver::Answered:
                return PrintReply(context, reply);
            case HandOver::Lost:
                return Fail(context, kExitBadInput,
                            QStringLiteral("talvore took the command but ended before it "
                                           "answered; whether it was carried out is not known"));
            case HandOver::NotListening:
            case HandOver::NotAccepted:
                break;  // a program that is starting or ending: the lock tells again
        }
        if (SteadyNowNs() < deadline) {
            std::this_thread::sleep_for(kRetryPause);
        }
    }
    return Fail(context, kExitBadInput,
                QStringLiteral("talvore is running on the data folder %1 and could not be "
                               "reached; nothing was changed")
                    .arg(folder.Display()));
}

QByteArray AbsolutePathBytes(const NativePath& path) {
    if (path.Bytes().startsWith('/')) {
        return path.Bytes();
    }
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) == nullptr) {
        return path.Bytes();
    }
    return NativePath::FromBytes(QByteArray(folder)).Child(path.Bytes()).Bytes();
}
