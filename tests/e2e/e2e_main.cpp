// The end-to-end tests run the real browser plugin in one QApplication.

#include "capture/browser_loader.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS(); // listing needs no display
    sitecapture::PrepareForBrowserPlugin();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
