// The end-to-end tests run the real browser plugin in one QApplication.

#include "capture/browser_loader.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS(); // listing needs no display
    // Xvfb has no GPU; the tests run as root, where Chromium's sandbox cannot start.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    // Without a GPU the view's OpenGL path runs in software on the user-interface thread and
    // holds every event up by a frame (~25 ms here); Qt Quick's own software renderer does not.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
