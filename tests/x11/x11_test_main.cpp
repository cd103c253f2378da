// The main of the X11 tests: one X11 desktop (Xvfb, openbox, trayer) for the whole run, started
// before any test, and this process's application made on it. Listing the tests starts nothing.
#include <gtest/gtest.h>

#include <memory>

#include "tests/x11/x11_desktop.h"
#include "ui/ui_application.h"

namespace {
X11Desktop* desktop = nullptr;
}  // namespace

X11Desktop& TestDesktop() {
    if (desktop == nullptr) {
        desktop = new X11Desktop;
    }
    return *desktop;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<UiApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        if (TestDesktop().Running()) {
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
        static int appArgc = 1;
        static char appName[] = "x11_tests";
        static char* appArgv[] = {appName, nullptr};
        app = std::make_unique<UiApplication>(appArgc, appArgv);
    }
    const int result = RUN_ALL_TESTS();
    app.reset();
    delete desktop;
    return result;
}
