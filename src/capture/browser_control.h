#pragma once
// WebBrowser1 as the capture windows see it. Two implementations: the Qt WebEngine one in
// the sitecapture_browser plugin, and a fake for tests. No engine types here, and no
// QObject either: the plugin and the program each hold their own copy of this header.

#include "base/operator_error.h"
#include "capture/bridge_constants.h"
#include "capture/captured_submission.h"
#include "capture/field_tracking.h"
#include "capture/fill_plan.h"

#include <QByteArray>
#include <QString>
#include <QtPlugin>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace sitecapture {

// A POST to send once more, byte for byte.
struct ReplayRequest {
    QString action;
    QByteArray body;
    QString contentType;
};

struct ReplayResponse {
    int status = 0; // the HTTP status of the last response (after redirects); 0: not told
    QString url;    // the address that answered
    // The response's document, decoded in its charset and written out as markup: the
    // page's text and tags as parsed (scripts not run), not its bytes.
    QString text;
};

// The browser's three events. Raised on the user-interface thread; each is handled to
// completion before the browser goes on.
class BrowserEvents {
public:
    // Before every navigation; postData is the request body, empty when there is none.
    virtual void BeforeNavigate2(const QString& url, const QByteArray& postData) = 0;
    // While the operator works in the page: focus changes and edits of form fields.
    virtual void CommandStateChange() = 0;
    // A new status text; kStatusDone when a load has finished.
    virtual void StatusTextChange(const QString& text) = 0;

protected:
    ~BrowserEvents() = default;
};

class BrowserControl {
public:
    virtual ~BrowserControl() = default;

    // The view, to be placed into a layout. Owned by the control: destroy the control
    // before the window it sits in.
    virtual QWidget* Widget() = 0;

    // Starts loading the address exactly as typed, as if typed into an address bar.
    virtual void Navigate(const QString& address) = 0;

    virtual QString Tag() const = 0;
    virtual void SetTag(const QString& tag) = 0;

    // The focused element as of the CommandStateChange being handled; nothing when the
    // document or its focused element could not be read.
    virtual std::optional<FieldSnapshot> ActiveField() const = 0;
    // Paints that element's background yellow; no markup read later shows the paint.
    virtual void HighlightActiveField() = 0;

    // An empty message to the page's script and back; `answered` runs when the reply
    // arrives, never if the page cannot talk yet. For measurements and readiness.
    virtual void Ping(std::function<void()> answered) = 0;

    // Fills the test offer into the page in view: the form that holds the focused field,
    // else its form with the most fields a person fills in, as PlanFill decides, typed in as
    // a person types. Answers once, asynchronously, with what was filled; never when the
    // page does not answer or another fill is asked for first. Nothing the page does starts it.
    virtual void FillTestOffer(std::function<void(FillOutcome)> answered) = 0;

    // The markup of the page in view as it stands now, its scripts' text included. Answers
    // once, asynchronously; never if the browser goes first.
    virtual void ReadPage(std::function<void(QString)> answered) = 0;

    // The submission the last BeforeNavigate2 with a body carried: read it while handling
    // that event, as ActiveField() during CommandStateChange. Navigations without a body
    // leave it as it is; nothing before the first submission.
    virtual std::optional<CapturedSubmission> LastSubmission() const = 0;

    // Background work in hidden pages of the same profile (same cookies), never in the
    // operator's view; no page script of the tool runs there and nothing there raises the
    // events above. Each call returns a number for Cancel and answers once, asynchronously
    // (never inside the call), unless cancelled or the browser is destroyed first: then it
    // never answers. Failures are OperatorErrors: ErrorKind::Refused when nothing was
    // requested, TimedOut after 30 s, NotChecked when a reloaded page could not be read,
    // Failed when a replay got no answer from the site.
    static constexpr int kBackgroundTimeoutMs = 30000;

    // Loads `form.pageUrl` once more, that address only (http or https, a page this browser
    // submitted a form from, no redirect), and answers the fields of the form at the same
    // place with the same action: name, id, type, readonly and value (the page's own
    // scripts have run; line breaks as submitted). A page that navigates away, closes
    // itself or ends meanwhile, or holds no such form, answers NotChecked.
    virtual int ReloadForm(const FormPlace& form,
                           std::function<void(Result<std::vector<CheckedField>>)> answered) = 0;

    // POSTs the body with the content type to the action (http or https, an action this
    // browser captured a submission to) and answers the response once loaded; server
    // redirects are followed. The response's scripts do not run, and it can neither open
    // windows, navigate further, download nor reach the tool.
    virtual int Replay(const ReplayRequest& request,
                       std::function<void(Result<ReplayResponse>)> answered) = 0;

    // Stops a reload or replay; its answer never comes. Unknown or finished numbers are ignored.
    virtual void Cancel(int request) = 0;
};

class BrowserFactory {
public:
    virtual ~BrowserFactory() = default;
    // A browser with its own off-the-record profile, so that every login starts afresh.
    // It raises its events on `events`, which must outlive it.
    virtual std::unique_ptr<BrowserControl> CreateBrowser(BrowserEvents& events) = 0;
};

} // namespace sitecapture

// The number changes with the interface, so that a plugin built against another one is refused.
#define SITECAPTURE_BROWSER_FACTORY_IID "org.sitecapture.BrowserFactory/3"
Q_DECLARE_INTERFACE(sitecapture::BrowserFactory, SITECAPTURE_BROWSER_FACTORY_IID)
