#include "browser/web_engine_browser.h"

#include "browser/background_pages.h"
#include "browser/bridge_object.h"
#include "browser/page_log.h"
#include "capture/codepage.h"
#include "capture/field_snapshots.h"
#include "capture/form_encoding.h"
#include "capture/submitted_form.h"

#include <QPointer>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace sitecapture {

Q_LOGGING_CATEGORY(lcPage, "sitecapture.page", QtWarningMsg)

namespace {

const QString kLoading = QString::fromUtf16(kStatusLoading);
const QString kDone = QString::fromUtf16(kStatusDone);

// Popups and the pages that opened them stay alive for a while: an opener may still write
// into its popup or submit a form into it.
constexpr std::size_t kKeptTabs = 4;

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

QWebEngineScript MakeScript(const QString& name, const QString& source, quint32 world)
{
    QWebEngineScript s;
    s.setName(name);
    s.setSourceCode(source);
    s.setInjectionPoint(QWebEngineScript::DocumentCreation);
    s.setWorldId(world);
    s.setRunsOnSubFrames(true);
    return s;
}

// Addresses a new window can show; others (mail links, custom schemes) never load.
bool IsLoadable(const QUrl& url)
{
    static const QStringList schemes{u"http"_s, u"https"_s, u"data"_s, u"blob"_s, u"about"_s};
    return schemes.contains(url.scheme(), Qt::CaseInsensitive);
}

// Submissions described but not yet raised: a page that describes without submitting
// keeps only this many.
constexpr std::size_t kKeptDescriptions = 8;

} // namespace

class WebEngineBrowser::Page final : public QWebEnginePage {
public:
    Page(QWebEngineProfile* profile, WebEngineBrowser& owner, Tab& tab)
        : QWebEnginePage(profile), owner_(owner), tab_(tab)
    {
    }

protected:
    // Whether a navigation is a form's, and by which method, its request says (Requests).
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        owner_.OnNavigation(tab_, url, isMainFrame);
        return true; // BeforeNavigate2 never cancels
    }

    // New windows load in the same view; the engine carries their request (and its body).
    QWebEnginePage* createWindow(WebWindowType) override { return owner_.OpenWindow(); }

    // The page's console is not the operator's business; developers may turn it on with
    // QT_LOGGING_RULES="sitecapture.page.debug=true".
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                  int line, const QString& source) override
    {
        qCDebug(lcPage).noquote() << source << line << message;
    }

private:
    WebEngineBrowser& owner_;
    Tab& tab_;
};

// Every request of the browser's pages passes here, as the engine is about to send it: its
// address, method and whether the engine itself made it for a form submission.
class WebEngineBrowser::Requests final : public QWebEngineUrlRequestInterceptor {
public:
    explicit Requests(WebEngineBrowser& owner) : owner_(owner) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        if (type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame
            && type != QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
            return;
        // Called on the user-interface thread; should an engine call it elsewhere, the
        // request still reaches the browser there.
        QMetaObject::invokeMethod(
            &owner_,
            [owner = &owner_, url = info.requestUrl(),
             form = info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeFormSubmitted,
             method = info.requestMethod()] { owner->OnFrameRequest(url, form, method); });
    }

private:
    WebEngineBrowser& owner_;
};

struct WebEngineBrowser::Tab {
    std::unique_ptr<BridgeObject> bridge;
    std::unique_ptr<QWebChannel> channel;
    std::unique_ptr<Page> page; // declared last: goes before its channel
    FieldSnapshots snapshots;
    bool fresh = true; // no load in the main frame yet: a new window's first one may be a form's
    bool closing = false;
};

WebEngineBrowser::WebEngineBrowser(BrowserEvents& events, BridgeScripts scripts)
    : events_(events)
{
    clock_.start();
    requests_ = std::make_unique<Requests>(*this);
    profile_ = std::make_unique<QWebEngineProfile>(); // no storage name: off the record
    profile_->setUrlRequestInterceptor(requests_.get());
    background_ = std::make_unique<BackgroundPages>(*profile_, std::move(scripts.reading));
    QWebEngineSettings* settings = profile_->settings();
    // A page never gets the desktop to open anything (mail links, custom schemes).
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // A name of the hook's event no page can know, so that no page can announce a submission.
    const QString hookEvent = NewSubmitHookEvent();
    // Per page, not per profile: the hidden pages of the same profile go without them.
    pageScripts_ << MakeScript(u"sitecapture-bridge"_s,
                               WithSubmitHookEvent(scripts.isolated, hookEvent),
                               QWebEngineScript::ApplicationWorld)
                 << MakeScript(u"sitecapture-submit-hook"_s,
                               WithSubmitHookEvent(scripts.mainWorld, hookEvent),
                               QWebEngineScript::MainWorld);
    view_ = std::make_unique<QWebEngineView>();
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    Show(OpenTab());
}

WebEngineBrowser::~WebEngineBrowser()
{
    destroying_ = true;
    profile_->setUrlRequestInterceptor(nullptr);
    // Nothing the pages do while they go reaches the window any more, and no background
    // work answers: a page going answers its pending script calls, which find no job then.
    for (auto* tabs : {&tabs_, &closing_})
        for (auto& tab : *tabs) {
            tab->closing = true;
            tab->page->disconnect(this);
        }
    waitingField_.reset();
    background_.reset();
    view_.reset();
    closing_.clear();
    tabs_.clear();
}

QWidget* WebEngineBrowser::Widget()
{
    return view_.get();
}

WebEngineBrowser::Tab& WebEngineBrowser::OpenTab()
{
    auto tab = std::make_unique<Tab>();
    Tab& t = *tab;
    t.bridge = std::make_unique<BridgeObject>(
        [this, &t](const QJsonValue& message) { OnReport(t, message); });
    t.channel = std::make_unique<QWebChannel>();
    t.channel->registerObject(u"bridge"_s, t.bridge.get());
    t.page = std::make_unique<Page>(profile_.get(), *this, t);
    t.page->scripts().insert(pageScripts_);
    t.page->setWebChannel(t.channel.get(), QWebEngineScript::ApplicationWorld);

    QWebEnginePage* page = t.page.get();
    connect(page, &QWebEnginePage::loadStarted, this, [this, &t] {
        if (&t != current_)
            return;
        loading_ = true;
        Status(loadingText_);
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this, &t](bool) {
        if (&t != current_)
            return;
        loading_ = false;
        Status(kDone);
    });
    connect(page, &QWebEnginePage::linkHovered, this, [this, &t](const QString& url) {
        if (&t == current_)
            OnLink(url);
    });
    tabs_.push_back(std::move(tab));
    DropOldTabs();
    return t;
}

QWebEnginePage* WebEngineBrowser::OpenWindow()
{
    // Shown once it loads something: a popup whose address cannot load (a blocked scheme)
    // leaves the view on its opener.
    return OpenTab().page.get();
}

void WebEngineBrowser::Show(Tab& tab)
{
    current_ = &tab;
    view_->setPage(tab.page.get());
    DropOldTabs();
}

void WebEngineBrowser::DropOldTabs()
{
    while (tabs_.size() > kKeptTabs) {
        auto old = std::find_if(tabs_.begin(), tabs_.end(),
                                [this](const auto& t) { return t.get() != current_; });
        if (old == tabs_.end())
            return;
        if (activeTab_ == old->get())
            activeTab_ = nullptr;
        if (waitingField_ && waitingField_->tab == old->get())
            waitingField_.reset();
        if (fillTab_ == old->get())
            fillTab_ = nullptr;
        // The page may be inside one of its own signals: it ends on the next turn of the
        // event loop, and says nothing more until then.
        (*old)->closing = true;
        closing_.push_back(std::move(*old));
        tabs_.erase(old);
        QTimer::singleShot(0, this, [this] { closing_.clear(); });
    }
}

void WebEngineBrowser::Navigate(const QString& address)
{
    current_->page->load(QUrl::fromUserInput(address));
}

void WebEngineBrowser::HighlightActiveField()
{
    if (activeTab_ && active_)
        emit activeTab_->bridge->highlight(activeHandle_);
}

void WebEngineBrowser::Ping(std::function<void()> answered)
{
    constexpr std::size_t kKeptPings = 64; // a page that never answers keeps only these
    const int id = ++nextPing_;
    pings_[id] = std::move(answered);
    if (pings_.size() > kKeptPings)
        pings_.erase(pings_.begin());
    emit current_->bridge->ping(id);
}

void WebEngineBrowser::FillTestOffer(std::function<void(FillOutcome)> answered)
{
    // A newer fill replaces one still under way, which then never answers.
    fillId_ += 1;
    fillTab_ = current_;
    fill_.reset();
    fillAnswer_ = std::move(answered);
    emit current_->bridge->gatherFill(fillId_);
}

void WebEngineBrowser::OnFillable(Tab& tab, const FillableMessage& m)
{
    if (&tab != fillTab_ || m.id != fillId_ || fill_)
        return;
    fill_ = FillRequest::Plan(m, tab.snapshots);
    if (!fill_->Empty()) {
        emit tab.bridge->applyFill(fillId_, fill_->Steps());
        return;
    }
    FillOutcome nothing;
    nothing.left = fill_->Left();
    fillTab_ = nullptr;
    std::exchange(fillAnswer_, {})(std::move(nothing));
}

void WebEngineBrowser::OnFilled(Tab& tab, const FilledMessage& m)
{
    if (&tab != fillTab_ || m.id != fillId_ || !fill_)
        return;
    const FillOutcome outcome = fill_->Outcome(m);
    fillTab_ = nullptr;
    fill_.reset();
    std::exchange(fillAnswer_, {})(outcome);
}

void WebEngineBrowser::ReadPage(std::function<void(QString)> answered)
{
    current_->page->toHtml([self = QPointer<WebEngineBrowser>(this), answered = std::move(answered)](const QString& html) {
        if (self && !self->destroying_)
            answered(html);
    });
}

void WebEngineBrowser::Status(const QString& text)
{
    HandleField();
    events_.StatusTextChange(text);
}

void WebEngineBrowser::OnLink(const QString& url)
{
    if (!url.isEmpty())
        Status(url);
    else
        Status(loading_ ? loadingText_ : kDone);
}

void WebEngineBrowser::OnNavigation(Tab& tab, const QUrl& url, bool isMainFrame)
{
    if (tab.closing)
        return;
    HandleField();
    const bool firstOfWindow = isMainFrame && tab.fresh && &tab != current_;
    if (isMainFrame) {
        tab.fresh = false;
        if (firstOfWindow && IsLoadable(url))
            Show(tab);
        loadingText_ = kLoading + url.toString();
    }
    // Raised at once, without a body: whether the navigation is a form's POST shows only
    // in its request, which comes later; the body follows with its own event then.
    events_.BeforeNavigate2(url.toString(QUrl::FullyEncoded), {});
}

void WebEngineBrowser::OnFrameRequest(const QUrl& url, bool formSubmission, const QByteArray& method)
{
    HandleField();
    if (std::optional<QByteArray> body =
            submissions_.Requested(url, formSubmission, method, clock_.elapsed()))
        RaiseSubmission(url, *body);
}

void WebEngineBrowser::OnReport(Tab& tab, const QJsonValue& message)
{
    if (tab.closing)
        return;
    BridgeMessage parsed = ParseBridgeMessage(message);
    // Whatever else the page says comes after the field's state it said before.
    if (!std::holds_alternative<FieldMessage>(parsed))
        HandleField();
    std::visit(Overloaded{
                   [](std::monostate) {},
                   [this, &tab](const HelloMessage&) {
                       tab.snapshots.Clear();
                       if (fillTab_ == &tab)
                           fillTab_ = nullptr; // a new document: the fill asked of the old one is over
                   },
                   [&tab](const MarkupMessage& m) { tab.snapshots.Apply(m); },
                   [&tab](const BlocksMessage& m) { tab.snapshots.ApplyBlocks(m); },
                   [this, &tab](const FieldMessage& m) { OnField(tab, m); },
                   [this](const SubmitMessage& m) { OnSubmit(m); },
                   [this](const OversizeMessage&) { Status(StatusTooLarge()); },
                   [this, &tab](const FillableMessage& m) { OnFillable(tab, m); },
                   [this, &tab](const FilledMessage& m) { OnFilled(tab, m); },
                   [this](const PongMessage& m) {
                       auto it = pings_.find(m.id);
                       if (it == pings_.end())
                           return;
                       auto answered = std::move(it->second);
                       pings_.erase(it);
                       answered();
                   },
               },
               parsed);
}

void WebEngineBrowser::OnField(Tab& tab, FieldMessage m)
{
    if (waitingField_ && waitingField_->tab == &tab && waitingField_->message.doc == m.doc
        && waitingField_->message.version == m.version && waitingField_->message.handle == m.handle) {
        // The same element again: its earlier report is not handled, but the values it
        // brought still go into the markup, before the later ones.
        m.values = waitingField_->message.values + m.values;
        waitingField_->message = std::move(m);
        return;
    }
    HandleField();
    waitingField_ = WaitingField{&tab, std::move(m)};
    // Reports already queued behind this one come first.
    QMetaObject::invokeMethod(this, &WebEngineBrowser::HandleField, Qt::QueuedConnection);
}

void WebEngineBrowser::HandleField()
{
    if (!waitingField_)
        return;
    WaitingField w = std::move(*waitingField_);
    waitingField_.reset();
    if (w.tab != current_ || w.tab->closing)
        return; // a page out of sight has no focus to report
    active_ = w.tab->snapshots.Take(w.message);
    activeTab_ = w.tab;
    activeHandle_ = w.message.handle;
    events_.CommandStateChange();
}

void WebEngineBrowser::OnSubmit(const SubmitMessage& m)
{
    const FormCharset charset(m.charset);
    const QByteArray boundary = NewMultipartBoundary();
    const QByteArray body = EncodeFormBody(m.entries, m.enctype, charset, boundary);
    CapturedSubmission described;
    described.body = body;
    described.contentType = FormContentType(m.enctype, boundary);
    described.charset = charset.Name();
    if (m.form) {
        described.form = FormPlace{m.form->page, m.form->index, m.form->action};
        described.fields = DescribedFields(*m.form);
        described.pageMarkup = m.form->segments.join(QString());
    }
    described_.push_back(std::move(described));
    if (described_.size() > kKeptDescriptions)
        described_.erase(described_.begin());
    // Raised with the address the engine requested, which may be spelt otherwise than the
    // script's (the query's bytes in the page's charset).
    if (std::optional<QUrl> url = submissions_.Submitted(QUrl(m.url), body, clock_.elapsed()))
        RaiseSubmission(*url, body);
}

void WebEngineBrowser::RaiseSubmission(const QUrl& url, const QByteArray& body)
{
    // The body is the one the description was made with: the matcher hands it back as is.
    CapturedSubmission s;
    auto found = std::find_if(described_.rbegin(), described_.rend(),
                              [&body](const CapturedSubmission& d) { return d.body == body; });
    if (found != described_.rend()) {
        s = std::move(*found);
        described_.erase(std::next(found).base());
    }
    s.action = url.toString(QUrl::FullyEncoded);
    s.body = body;
    background_->AllowSubmitted(url, s.form);
    lastSubmission_ = std::move(s);
    events_.BeforeNavigate2(lastSubmission_->action, body);
}

int WebEngineBrowser::ReloadForm(const FormPlace& form,
                                 std::function<void(Result<std::vector<CheckedField>>)> answered)
{
    return background_->ReloadForm(form, std::move(answered));
}

int WebEngineBrowser::Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered)
{
    return background_->Replay(request, std::move(answered));
}

void WebEngineBrowser::Cancel(int request)
{
    background_->Cancel(request);
}

} // namespace sitecapture
