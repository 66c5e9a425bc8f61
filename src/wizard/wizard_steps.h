#pragma once
// Next and Previous of the wizard without its window: the window copies what the steps read
// into a WizardPageState, runs a step on it, and applies the result to its controls.

#include "capture/capture_model.h"
#include "capture/success_text.h"
#include "catalogue/save_encoding.h"

#include <QString>

#include <optional>

namespace sitecapture {

enum class PageFrame { Frame1, Frame2, Frame4 };
// The frame in front on a page: the site page's, the capture pages' or the report's.
PageFrame FrontFrame(CaptureMode page);

inline constexpr char16_t kFillInMessage[] = u"请填写完整，才能进行下一步";
inline constexpr char16_t kLoginNotCapturedMessage[] =
    u"没有捕捉到您的登录信息，请先在网页上提交信息，正常登录后再点‘下一步’";
inline constexpr char16_t kPublishNotCapturedMessage[] =
    u"没有捕捉到您发布的信息，请先在网页上提交信息，正常发布后再点‘下一步’";
inline constexpr char16_t kPleaseWait[] = u"请稍等...";

struct WizardPageState {
    // What the site page holds.
    QString siteName;       // Text5
    QString publishPageUrl; // Text6(0)
    QString viewPageUrl;    // Text6(1)
    QString loginPageUrl;   // Text6(2)

    CaptureMode captureMode = CaptureMode::SiteInfoPage;
    CaptureSet captureSet;
    QString publishReturn;

    // What the capture panel shows: the captured action (Text1) and template (Text4), and the
    // success text (Text7).
    QString shownAction;
    QString shownData;
    QString successText = QString::fromUtf16(kSuccessTextStart);
    QString capturePageCaption;  // Frame2
    QString capturePanelCaption; // Frame5
    bool previousEnabled = true; // command2
    bool linkTestVisible = true; // Command5
    QString statusText;
    ReportTexts report;

    // What the step asks of the window besides the values above, in the order the window
    // carries it out: a message, then resetting the field map, then opening an address.
    std::optional<QString> message;
    bool resetFieldMap = false;
    std::optional<QString> navigate;

    friend bool operator==(const WizardPageState&, const WizardPageState&) = default;
};

// The captions of Frame2 and Frame5 on a capture page.
QString CapturePageCaption(CaptureMode page);
QString CapturePanelCaption(CaptureMode page);

// The steps clear the requests (message, resetFieldMap, navigate) before they run.
void NextStep(WizardPageState& s);
void PreviousStep(WizardPageState& s);

} // namespace sitecapture
