#include "app/program.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QObject>
#include <QThread>

#include "app/main_wnd.h"
#include "app/page_session_backend.h"
#include "app/program_help.h"
#include "app/quit_signals.h"
#include "app/session_api.h"
#include "app/talvorectl_requests.h"
#include "link/program_messages.h"
#include "macro/store_file.h"
#include "page/page_operations.h"
#include "sys/folders.h"
#include "sys/program_layout.h"
#include "sys/single_instance.h"
#include "ui/ui_application.h"

Q_LOGGING_CATEGORY(lcProgram, "talvore.program")

bool SystemBusPresent() {
    return qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS") ||
           QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket")) ||
           QFileInfo::exists(QStringLiteral("/var/run/dbus/system_bus_socket"));
}

int RunProgram(int argc, char** argv, const ProgramOptions& options) {
    if (const auto answered = AnswerInformationRequest(argc, argv)) {
        return *answered;
    }
    UiApplication app(argc, argv);
    SingleInstance instance(options.instanceName);
    if (instance.Start() == SingleInstance::Role::Second) {
        return 1;  // the running instance has been told to come forward
    }
    const QString programFolder = GetProgramFolder();
    UiApplication::SetSkinFolder(ResourceFolderOf(programFolder));

    // While this program runs it is the only writer of its data folder's stores: talvorectl
    // sees the lock and hands its changes to it. A command that is writing now is waited for.
    const NativePath dataFolder(DataFolderOf(programFolder));
    auto presence = std::make_unique<StoreFolderLock>(dataFolder, StoreFolderLock::Mode::Exclusive);
    if (presence->GetState() == StoreFolderLock::State::Busy) {
        qCWarning(lcProgram).noquote()
            << "another program keeps" << dataFolder.Display() << "locked: nothing is saved";
    }

    PagePlatform platform;
    platform.programFolder = programFolder;
    platform.soleWriter = presence->GetState() != StoreFolderLock::State::Busy;
    platform.bluetoothPresentAtStart = options.bluetoothPresent;
    platform.makeGattBackend = options.makeGattBackend;
    platform.wait = [](int milliseconds) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    };
    if (SystemBusPresent()) {
        platform.watchResume = [](std::function<void()> onResume) {
            return std::make_unique<ResumeWatcher>(QDBusConnection::systemBus(),
                                                   std::move(onResume));
        };
    }

    {
        CMainWnd window(platform);
        window.SetDeviceAccessDiagnosis(options.diagnoseDeviceAccess);
        QObject::connect(&instance, &SingleInstance::SecondStart,
                         [&window](const QString& activationToken) {
                             window.SetActivationToken(activationToken);
                             window.PostMessage(program_messages::kOpenInstance);
                         });
        window.SetStartHidden(QCoreApplication::arguments().contains(QStringLiteral("--hidden")));

        // Created hidden; the first connected-state message shows it when a mouse is there.
        if (!window.Create(nullptr, 0, QRect(0, 0, 800, 572))) {
            return 0;
        }
        window.CenterWindow();
        if (options.onMainWindowCreated) {
            options.onMainWindowCreated(window);
        }
        const RequestTarget requests{
            dataFolder, [&window]() -> PageOperations* {
                return window.Ending() || !window.IsWindow() ? nullptr : window.Page().Operations();
            }};
        instance.SetRequestHandler(
            [&requests](const InstanceRequest& request, const SingleInstance::Accept& accept) {
                return AnswerTalvorectl(request, accept, requests);
            });
        // Other programs of the session reach the page over D-Bus; without a session bus the
        // program runs on without it (SessionApi says so once in the log).
        PageSessionBackend backend([&window]() -> CMS_1_Page* {
            return window.Ending() || !window.IsWindow() ? nullptr : &window.Page();
        });
        std::unique_ptr<SessionApi> sessionApi;
        if (!options.sessionApiName.isEmpty()) {
            sessionApi = std::make_unique<SessionApi>(backend, QDBusConnection::sessionBus(),
                                                      options.sessionApiName);
            window.SetStateListener([api = sessionApi.get()] { api->NoteChange(); });
        }
        // A signal to end takes the way the tray's Exit takes.
        QuitSignals quitSignals([&window](int) { window.EndProgram(); });
        qCInfo(lcProgram) << "running";
        app.MessageLoop();
        instance.SetRequestHandler({});
        window.SetStateListener({});
    }
    // The last save is done: talvorectl may write the stores itself from now on.
    presence.reset();
    return 0;
}
