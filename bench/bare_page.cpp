// A bare Qt WebEngine view, the yardstick for the page loads of sitecapture_latency: the
// same engine and flags without the tool's scripts, channel or request hooks. Reads one
// file name a line on stdin, loads it and answers the milliseconds from the call to the
// end of the load ("failed" when it did not load).

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QWebEngineProfile profile; // off the record, as the tool's
    QWebEnginePage page(&profile);
    QWebEngineView view;
    view.setPage(&page);
    view.resize(1200, 600);
    view.show();

    QElapsedTimer clock;
    QObject::connect(&page, &QWebEnginePage::loadFinished, [&](bool ok) {
        if (ok)
            std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e6);
        else
            std::printf("failed\n");
        std::fflush(stdout);
    });
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            app.quit();
            return;
        }
        clock.start();
        page.load(QUrl::fromLocalFile(QString::fromStdString(line)));
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
