#pragma once
// WebBrowser1 on Qt WebEngine: a view whose pages carry the bridge script in every frame.

#include "capture/bridge_messages.h"
#include "capture/browser_control.h"
#include "capture/fill_request.h"
#include "capture/submission_matcher.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QWebEngineScript>

#include <map>
#include <memory>
#include <vector>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace sitecapture {

class BackgroundPages;

// The scripts with the marker of the hook's event still in them: each browser names it anew.
struct BridgeScripts {
    QString isolated;  // the web channel library and the page script
    QString mainWorld; // the form.submit() hook
    QString reading;   // reads a form of a page loaded again; @FORM_INDEX@ still in it
};

class WebEngineBrowser final : public QObject, public BrowserControl {
    Q_OBJECT
public:
    WebEngineBrowser(BrowserEvents& events, BridgeScripts scripts);
    ~WebEngineBrowser() override;

    QWidget* Widget() override;
    void Navigate(const QString& address) override;
    QString Tag() const override { return tag_; }
    void SetTag(const QString& tag) override { tag_ = tag; }
    std::optional<FieldSnapshot> ActiveField() const override { return active_; }
    void HighlightActiveField() override;
    void Ping(std::function<void()> answered) override;
    void FillTestOffer(std::function<void(FillOutcome)> answered) override;
    void ReadPage(std::function<void(QString)> answered) override;
    std::optional<CapturedSubmission> LastSubmission() const override { return lastSubmission_; }
    int ReloadForm(const FormPlace& form,
                   std::function<void(Result<std::vector<CheckedField>>)> answered) override;
    int Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered) override;
    void Cancel(int request) override;

private:
    class Page;
    class Requests;
    struct Tab;
    friend class Page;

    Tab& OpenTab();
    QWebEnginePage* OpenWindow();
    void Show(Tab& tab);
    void DropOldTabs();
    void OnReport(Tab& tab, const QJsonValue& message);
    void OnNavigation(Tab& tab, const QUrl& url, bool isMainFrame);
    void OnFrameRequest(const QUrl& url, bool formSubmission, const QByteArray& method);
    void OnField(Tab& tab, FieldMessage m);
    // The field report waiting for its turn of the event loop, handled now.
    void HandleField();
    void OnSubmit(const SubmitMessage& m);
    void OnFillable(Tab& tab, const FillableMessage& m);
    void OnFilled(Tab& tab, const FilledMessage& m);
    void RaiseSubmission(const QUrl& url, const QByteArray& body);

    void OnLink(const QString& url);
    void Status(const QString& text);

    BrowserEvents& events_;
    QList<QWebEngineScript> pageScripts_; // put into each tab's page, never a hidden one
    QString tag_;
    // Destroyed in reverse: the view first, then the pages (hidden ones included), then
    // their profile, then what the profile reports its requests to.
    std::unique_ptr<Requests> requests_;
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<BackgroundPages> background_; // reloads and replays
    std::vector<std::unique_ptr<Tab>> tabs_;
    std::vector<std::unique_ptr<Tab>> closing_;
    std::unique_ptr<QWebEngineView> view_;
    Tab* current_ = nullptr;

    SubmissionMatcher submissions_;
    QElapsedTimer clock_;
    std::optional<FieldSnapshot> active_;
    Tab* activeTab_ = nullptr;
    int activeHandle_ = 0;
    // Reports that arrive faster than the panel follows wait here: a later report of the
    // same element replaces the one waiting, so that only its latest state is handled.
    struct WaitingField {
        Tab* tab = nullptr;
        FieldMessage message;
    };
    std::optional<WaitingField> waitingField_;
    int nextPing_ = 0;
    std::map<int, std::function<void()>> pings_;
    bool destroying_ = false; // page reads that answer while the pages go are not passed on

    // The one fill under way: asked of `fillTab_` as request `fillId_`, planned once the page
    // described its forms.
    int fillId_ = 0;
    Tab* fillTab_ = nullptr;
    std::optional<FillRequest> fill_;
    std::function<void(FillOutcome)> fillAnswer_;
    QString loadingText_;
    bool loading_ = false;

    // Submissions described by the page, waiting for the BeforeNavigate2 that carries
    // their body; the last one raised.
    std::vector<CapturedSubmission> described_;
    std::optional<CapturedSubmission> lastSubmission_;
};

} // namespace sitecapture
