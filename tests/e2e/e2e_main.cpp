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
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    sitecapture::PrepareForBrowserPlugin();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
