// sitecapture-harness [address] [capture mode 0|1|2]: the browser and the capture panel.

#include "capture/browser_loader.h"
#include "tools/harness/harness_window.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    sitecapture::PrepareForBrowserPlugin();
    QApplication app(argc, argv);
    QString error;
    sitecapture::BrowserFactory* browsers = sitecapture::LoadBrowserFactory(&error);
    if (!browsers) {
        QMessageBox::critical(nullptr, QStringLiteral(u"网站收录向导"), error);
        return 1;
    }
    sitecapture::HarnessWindow window(*browsers);
    const QStringList args = app.arguments();
    if (args.size() > 2)
        window.SetCaptureMode(sitecapture::WizardPage(args[2].toInt()));
    window.show();
    if (args.size() > 1)
        window.Open(args[1]);
    return app.exec();
}
