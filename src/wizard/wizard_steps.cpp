#include "wizard/wizard_steps.h"

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

void ClearRequests(WizardPageState& s)
{
    s.message.reset();
    s.resetFieldMap = false;
    s.navigate.reset();
}

void ShowLoginCaptions(WizardPageState& s)
{
    s.capturePageCaption = CapturePageCaption(CaptureMode::LoginCapturePage);
    s.capturePanelCaption = CapturePanelCaption(CaptureMode::LoginCapturePage);
}

void ShowPublishCaptions(WizardPageState& s)
{
    s.capturePageCaption = CapturePageCaption(CaptureMode::PublishCapturePage);
    s.capturePanelCaption = CapturePanelCaption(CaptureMode::PublishCapturePage);
}

} // namespace

PageFrame FrontFrame(CaptureMode page)
{
    switch (page) {
    case CaptureMode::SiteInfoPage: return PageFrame::Frame1;
    case CaptureMode::LoginCapturePage:
    case CaptureMode::PublishCapturePage: return PageFrame::Frame2;
    case CaptureMode::ReportPage: return PageFrame::Frame4;
    }
    return PageFrame::Frame1;
}

QString CapturePageCaption(CaptureMode page)
{
    return page == CaptureMode::PublishCapturePage ? u"信息发布页信息收集"_s
                                                   : u"用户登录页信息收集"_s;
}

QString CapturePanelCaption(CaptureMode page)
{
    return page == CaptureMode::PublishCapturePage ? u"信息发布页信息捕捉"_s
                                                   : u"用户登录页信息捕捉"_s;
}

void NextStep(WizardPageState& s)
{
    ClearRequests(s);
    s.linkTestVisible = false;
    if (s.siteName.isEmpty() || s.publishPageUrl.isEmpty() || s.viewPageUrl.isEmpty()) {
        s.message = QString::fromUtf16(kFillInMessage);
        return;
    }
    s.previousEnabled = true;
    // A site without a login goes straight from the site page to the publish page.
    if (s.loginPageUrl.isEmpty() && s.captureMode == CaptureMode::SiteInfoPage)
        s.captureMode = CaptureMode::LoginCapturePage;

    CaptureSet& c = s.captureSet;
    switch (s.captureMode) {
    case CaptureMode::SiteInfoPage:
        s.statusText = QString::fromUtf16(kPleaseWait);
        ShowLoginCaptions(s);
        s.navigate = s.loginPageUrl;
        s.captureMode = CaptureMode::LoginCapturePage;
        s.shownAction = c.loginAction;
        s.shownData = c.loginData;
        break;
    case CaptureMode::LoginCapturePage:
        if (!s.loginPageUrl.isEmpty() && (c.loginAction.isEmpty() || c.loginData.isEmpty())) {
            s.message = QString::fromUtf16(kLoginNotCapturedMessage);
            return;
        }
        c.loginReturn = s.successText;
        s.successText = s.publishReturn.isEmpty() ? QString::fromUtf16(kSuccessTextStart) : s.publishReturn;
        s.shownAction = c.publishAction;
        s.shownData = c.publishData;
        s.captureMode = CaptureMode::PublishCapturePage;
        s.navigate = s.publishPageUrl;
        ShowPublishCaptions(s);
        s.resetFieldMap = true;
        break;
    case CaptureMode::PublishCapturePage:
        if (c.publishAction.isEmpty() || c.publishData.isEmpty()) {
            s.message = QString::fromUtf16(kPublishNotCapturedMessage);
            return;
        }
        s.publishReturn = s.successText;
        s.report = {c.loginAction, c.loginData, c.publishAction, c.publishData, c.loginReturn,
                    s.publishReturn};
        s.captureMode = CaptureMode::ReportPage;
        break;
    case CaptureMode::ReportPage:
        break;
    }
}

void PreviousStep(WizardPageState& s)
{
    ClearRequests(s);
    s.linkTestVisible = false;
    // The way back skips the login page of a site without a login.
    if (s.loginPageUrl.isEmpty() && s.captureMode == CaptureMode::PublishCapturePage)
        s.captureMode = CaptureMode::LoginCapturePage;

    const CaptureSet& c = s.captureSet;
    switch (s.captureMode) {
    case CaptureMode::ReportPage:
        s.shownAction = c.publishAction;
        s.shownData = c.publishData;
        ShowPublishCaptions(s);
        s.successText = s.publishReturn;
        s.captureMode = CaptureMode::PublishCapturePage;
        s.navigate = s.publishPageUrl;
        break;
    case CaptureMode::PublishCapturePage:
        s.shownAction = c.loginAction;
        s.shownData = c.loginData;
        s.successText = c.loginReturn;
        ShowLoginCaptions(s);
        s.captureMode = CaptureMode::LoginCapturePage;
        s.resetFieldMap = true;
        s.navigate = s.loginPageUrl;
        break;
    case CaptureMode::LoginCapturePage:
        s.previousEnabled = false;
        s.captureMode = CaptureMode::SiteInfoPage;
        break;
    case CaptureMode::SiteInfoPage:
        break;
    }
}

} // namespace sitecapture
