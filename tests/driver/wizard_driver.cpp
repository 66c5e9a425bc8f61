#include "wizard_driver.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace sitecapture::drive {

TemporarySiteDatabase::TemporarySiteDatabase(std::chrono::milliseconds busyTimeout)
{
    directory_ = temp_.path();
    if (!QFile::copy(QStringLiteral(SITECAPTURE_TEMPLATE_PATH), QDir(directory_).filePath(QStringLiteral("sdk.dll"))))
        qFatal("cannot copy the template %s", SITECAPTURE_TEMPLATE_PATH);
    Result<SiteDatabase> opened = OpenSiteDatabase(directory_, busyTimeout);
    if (!opened)
        qFatal("%s", qPrintable(opened.error().message));
    database_.emplace(std::move(opened).value());
}

WizardDriver::WizardDriver(BrowserSource& browsers)
    : services_{database_.Database(), module_, browsers, links_}, wizard_(new Form1(services_))
{
}

WizardDriver::~WizardDriver()
{
    delete wizard_.data();
}

QStatusBar& WizardDriver::Status()
{
    return *wizard_->findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
}

void WizardDriver::ShowCapturePage(const QString& address, CaptureMode mode, const QString& viewAddress)
{
    Form1& w = *wizard_;
    const bool fromLogin = w.Session().captureMode == CaptureMode::LoginCapturePage;
    if (mode == CaptureMode::PublishCapturePage && fromLogin && !Captured().loginData.isEmpty()) {
        w.Text6(0)->setText(address);
        w.NextStep();
        return;
    }
    while (w.Session().captureMode != CaptureMode::SiteInfoPage)
        w.PreviousStep();
    w.Text5()->setText(QStringLiteral(u"测试网站"));
    w.Text6(1)->setText(viewAddress);
    if (mode == CaptureMode::LoginCapturePage) {
        w.Text6(2)->setText(address);
        if (w.Text6(0)->text().isEmpty())
            w.Text6(0)->setText(viewAddress);
    } else {
        w.Text6(2)->clear();
        w.Text6(0)->setText(address);
    }
    w.NextStep();
}

} // namespace sitecapture::drive
