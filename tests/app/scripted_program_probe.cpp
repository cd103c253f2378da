// The program on the simulated mouse, driven by lines on its standard input, for the tests that
// need the real program beside talvorectl or a signal: it answers each line on its error stream.
//   edit N     moves the sleep timer slider to N as the user would      -> "edited N"
//   list       the page's profile list and the selected row    -> "list: a|b|c; selected 2"
//   mouse      the simulated mouse's sleep timer and level     -> "mouse: sleep N battery L"
//   open WHAT  opens a dialog as the user would and leaves it open -> "opened WHAT"
//              (shortcut, macro, colour, name, message, file, recording)
// The instance name is the demo's, so that the demo's talvorectl finds it.
#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include "app/main_wnd.h"
#include "app/program.h"
#include "app/session_api.h"
#include "page/page_controls.h"
#include "sim/hidapi/shared_mouse.h"
#include "sim/simulated_gatt_backend.h"
#include "sys/instance_channel.h"

namespace {

void Say(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

// Once a dialog is up (its own loop runs), `act` does what the user would do in it and the probe
// says so. Checked from a timer, since opening blocks in the dialog's loop.
void WhenOpen(const QString& what, std::function<void(QWidget&)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, what, act] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (act) {
            act(*dialog);
        }
        Say(QStringLiteral("opened ") + what);
    });
    timer->start(10);
}

template <class T>
T* Child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

void Open(CMainWnd& window, const QString& what) {
    const auto click = [&window](const char* name) {
        window.Find<Button>(QLatin1String(name)).Click();
    };
    if (what == QLatin1String("shortcut") || what == QLatin1String("macro")) {
        // Button 3's function menu, then the item that opens the dialog.
        WhenOpen(what, [what](QWidget& dialog) {
            if (what == QLatin1String("shortcut")) {
                // The key box takes the focus: keys are captured through the hook from now on.
                if (auto* key = Child<QLineEdit>(dialog, "edit_key")) {
                    dialog.activateWindow();  // offscreen, nothing else activates it
                    key->setFocus();
                }
            }
        });
        window.Page().Buttons().OpenButtonMenu(3);
        window.Page().Buttons().AssignFunction(what == QLatin1String("shortcut")
                                                   ? QStringLiteral("ms_1_shortcut")
                                                   : QStringLiteral("ms_1_select_macro"));
    } else if (what == QLatin1String("colour")) {
        WhenOpen(what, {});
        click("ms_1_btn_light_color");
    } else if (what == QLatin1String("name")) {
        WhenOpen(what, {});
        click("ms_1_profile_add_btn");
    } else if (what == QLatin1String("message")) {
        WhenOpen(what, {});
        click("ms_1_profile_reset_btn");  // asks first
    } else if (what == QLatin1String("file")) {
        WhenOpen(what, {});
        click("ms_1_profile_import_btn");
    } else if (what == QLatin1String("recording")) {
        WhenOpen(what, [](QWidget& editor) {
            if (auto* record = Child<QAbstractButton>(editor, "ms_1_macro_record_btn")) {
                record->click();  // with no macro yet, the editor makes one to record into
            }
        });
        click("ms_1_btn_macro");
    } else {
        Say(QStringLiteral("unknown dialog ") + what);
    }
}

void Run(CMainWnd& window, const QByteArray& line) {
    const QList<QByteArray> words = line.trimmed().split(' ');
    const QByteArray command = words.value(0);
    if (command == "edit") {
        const int value = words.value(1).toInt();
        Slider slider = window.Page().Controls().sliderSleepTimer;
        slider.SetValue(value, Notify::kYes);
        Say(QStringLiteral("edited %1").arg(value));
    } else if (command == "list") {
        const ListBox& list = window.Page().Controls().listProfile;
        QStringList names;
        for (int i = 0; i < list.Count(); ++i) {
            names << list.ItemText(i);
        }
        Say(QStringLiteral("list: %1; selected %2")
                .arg(names.join(QLatin1Char('|')))
                .arg(list.CurSel()));
    } else if (command == "mouse") {
        const sim::SimulatedMouse& mouse = sim::SharedMouse();
        Say(QStringLiteral("mouse: sleep %1 battery %2")
                .arg(mouse.Settings().lighting.sleepTimer)
                .arg(mouse.BatteryLevel()));
    } else if (command == "open") {
        Open(window, QString::fromUtf8(words.value(1)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    options.instanceName = QString::fromLatin1(kDemoInstanceName);
    options.sessionApiName = QString::fromLatin1(kDemoSessionApiName);
    options.bluetoothPresent = [] { return false; };
    options.makeGattBackend = [] { return std::make_unique<sim::SimulatedGattBackend>(); };
    options.onMainWindowCreated = [](CMainWnd& window) {
        auto* input =
            new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(input, &QSocketNotifier::activated, [&window, input] {
            static QByteArray pending;
            char buffer[256];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) {
                input->setEnabled(false);
                return;
            }
            pending.append(buffer, got);
            for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
                const QByteArray line = pending.left(end);
                pending.remove(0, end + 1);
                // From the loop: a dialog opened by one line must not hold up reading the next.
                QTimer::singleShot(0, [&window, line] { Run(window, line); });
            }
        });
        QTimer::singleShot(0, [] { Say(QStringLiteral("ready")); });
    };
    return RunProgram(argc, argv, options);
}
