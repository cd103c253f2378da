#include "app/talvorectl_requests.h"

#include <QLoggingCategory>
#include <QThread>

#include "page/page_operations.h"
#include "sys/printable_text.h"

Q_LOGGING_CATEGORY(lcRequests, "talvore.requests")

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitRefused = 2;

InstanceReply Refused(int exitCode, const QString& error) {
    InstanceReply reply;
    reply.exitCode = exitCode;
    reply.error = error;
    return reply;
}

}  // namespace

InstanceReply AnswerTalvorectl(const InstanceRequest& request, const SingleInstance::Accept& accept,
                               const RequestTarget& target) {
    const NativePath asked = NativePath::FromBytes(request.dataFolder);
    if (!SameFile(asked, target.dataFolder)) {
        return Refused(kExitRefused,
                       QStringLiteral("the running talvore keeps its data in %1, not in %2; "
                                      "nothing was changed")
                           .arg(target.dataFolder.Display(), asked.Display()));
    }
    const bool import = request.command == QLatin1String("import");
    const bool select = request.command == QLatin1String("select");
    const bool restore = request.command == QLatin1String("restore");
    if ((!import && !select && !restore && request.command != QLatin1String("import-macro")) ||
        request.args.size() != 1) {
        return Refused(kExitUsage, QStringLiteral("talvore does not take the command %1 with %2 "
                                                  "arguments; nothing was changed")
                                       .arg(EscapeControls(request.command))
                                       .arg(request.args.size()));
    }
    PageOperations* page = target.page ? target.page() : nullptr;
    if (page == nullptr) {
        return Refused(kExitRefused, QStringLiteral("talvore is ending; nothing was changed"));
    }
    // The main loop is the only one; any other is a dialog, a file dialog or a menu.
    if (QThread::currentThread()->loopLevel() > 1) {
        return Refused(kExitRefused, QStringLiteral("talvore has a dialog open; close it and run "
                                                    "the command again; nothing was changed"));
    }
    if (!accept()) {
        return Refused(kExitRefused, QStringLiteral("the command was given up before it began"));
    }
    PageOperations::Outcome outcome;
    if (select) {
        // A profile name, not a file.
        const QString name = QString::fromUtf8(request.args.front());
        qCInfo(lcRequests).noquote() << "talvorectl select" << EscapeControls(name);
        outcome = page->SelectProfile(name);
    } else {
        const NativePath file = NativePath::FromBytes(request.args.front());
        qCInfo(lcRequests).noquote() << "talvorectl" << request.command << file.Display();
        outcome = restore  ? page->RestoreBackup(file)
                  : import ? page->ImportProfile(file)
                           : page->ImportMacro(file);
    }
    InstanceReply reply;
    if (outcome.done) {
        reply.exitCode = 0;
        reply.out = outcome.lines.isEmpty() ? QStringList{EscapeControls(outcome.name)}
                                            : outcome.lines;
    } else {
        reply.exitCode = kExitRefused;
        reply.error = outcome.error;
    }
    return reply;
}
