// The main of the Wayland tests: one headless compositor and one private session bus for the
// whole run, started before any test, and this process made a native client of that compositor
// (so windows the tests make in-process map there), with its application object made here.
// Listing the tests starts nothing.
#include <gtest/gtest.h>

#include <QFile>

#include <memory>

#include "tests/dbus/private_bus.h"
#include "tests/wayland/headless_compositor.h"
#include "tests/wayland/wayland_session.h"
#include "ui/ui_application.h"

namespace {
HeadlessCompositor* compositor = nullptr;
PrivateBus* sessionBus = nullptr;
}  // namespace

HeadlessCompositor& TestCompositor() {
    if (compositor == nullptr) {
        compositor = new HeadlessCompositor;
    }
    return *compositor;
}

PrivateBus& TestSessionBus() {
    if (sessionBus == nullptr) {
        sessionBus = new PrivateBus;
    }
    return *sessionBus;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests)) {
        if (TestSessionBus().Running()) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", TestSessionBus().Address().toUtf8());
        }
        if (TestCompositor().Running()) {
            // The keyboard and pointer come first: the compositor's seat has them when a client
            // connects, so no client misses the first key or click while it is still binding
            // to a seat that has just gained them.
            (void)TestCompositor().Input();
            const QProcessEnvironment env = TestCompositor().ClientEnvironment();
            qunsetenv("DISPLAY");
            qputenv("QT_QPA_PLATFORM", "wayland");
            for (const char* name : {"WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SWAYSOCK"}) {
                qputenv(name, env.value(QLatin1String(name)).toUtf8());
            }
        }
    }
    // The tests wait in the event loop: stand-ins on the bus answer and the programs' output is
    // read meanwhile. The application is native on the compositor when there is one.
    static int appArgc = 1;
    static char appName[] = "wayland_tests";
    static char* appArgv[] = {appName, nullptr};
    std::unique_ptr<UiApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        app = std::make_unique<UiApplication>(appArgc, appArgv);
    }
    const int result = RUN_ALL_TESTS();
    app.reset();  // its connection to the compositor ends first
    delete compositor;
    delete sessionBus;
    return result;
}
