#include "capture/bridge/web_engine_browser.h"

#include "capture/bridge/bridge_object.h"
#include "capture/codepage.h"
#include "capture/form_encoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <algorithm>
#include <utility>

namespace sitecapture {
namespace {

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcPage, "sitecapture.page", QtWarningMsg)

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
    static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"),
                                     QStringLiteral("data"), QStringLiteral("blob"),
                                     QStringLiteral("about")};
    return schemes.contains(url.scheme(), Qt::CaseInsensitive);
}

// The only addresses background work loads or posts to.
bool IsWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme().compare(u"http", Qt::CaseInsensitive) == 0
            || url.scheme().compare(u"https", Qt::CaseInsensitive) == 0);
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

// A page loaded in the background: out of sight, without the tool's scripts or channel.
// It loads the one address it was made for; anything else it tries (another address, a
// frame, a window, a dialog, a file) comes to nothing, and leaving the address is reported.
class WebEngineBrowser::HiddenPage final : public QWebEnginePage {
public:
    HiddenPage(QWebEngineProfile* profile, const QUrl& address, bool followRedirects)
        : QWebEnginePage(profile), address_(address), followRedirects_(followRedirects)
    {
    }

    // Called when the page tries to go elsewhere than its address (and is kept from it).
    std::function<void()> onLeave;

    // The load is over: from now on nothing navigates. A meta refresh or a script's
    // address comes as a redirect too, but only once the document has loaded.
    void Settle() { settled_ = true; }
    bool Settled() const { return settled_; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame)
            return false; // frames bring nothing the answer needs
        if (!started_) {
            started_ = true;
            if (AddressKey(url) == AddressKey(address_))
                return true;
        } else if (!settled_ && followRedirects_ && type == NavigationTypeRedirect && IsWebAddress(url)) {
            return true;
        }
        if (onLeave)
            onLeave();
        return false;
    }

    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int line,
                                  const QString& source) override
    {
        qCDebug(lcPage).noquote() << "hidden:" << source << line << message;
    }

private:
    QUrl address_;
    bool followRedirects_;
    bool started_ = false;
    bool settled_ = false;
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

struct WebEngineBrowser::Job {
    QString address;
    QString outcome; // what a failure means, after a comma: "无法检查" for a reload
    std::unique_ptr<HiddenPage> page;
    QTimer timer;
    std::function<void(const OperatorError&)> failed;
    // A reload: the form to find again, and where its fields go.
    FormPlace place;
    std::function<void(Result<std::vector<CheckedField>>)> reloaded;
    // A replay: where the response goes.
    std::function<void(Result<ReplayResponse>)> replayed;
    bool loaded = false; // the replay's answer is being read
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
    : events_(events), scripts_(std::move(scripts))
{
    clock_.start();
    requests_ = std::make_unique<Requests>(*this);
    profile_ = std::make_unique<QWebEngineProfile>(); // no storage name: off the record
    profile_->setUrlRequestInterceptor(requests_.get());
    QWebEngineSettings* settings = profile_->settings();
    // A page never gets the desktop to open anything (mail links, custom schemes).
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // A name of the hook's event no page can know, so that no page can announce a submission.
    const QString hookEvent = NewSubmitHookEvent();
    // Per page, not per profile: the hidden pages of the same profile go without them.
    pageScripts_ << MakeScript(QStringLiteral("sitecapture-bridge"),
                               WithSubmitHookEvent(scripts_.isolated, hookEvent),
                               QWebEngineScript::ApplicationWorld)
                 << MakeScript(QStringLiteral("sitecapture-submit-hook"),
                               WithSubmitHookEvent(scripts_.mainWorld, hookEvent),
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
    unanswered_.clear();
    std::map<int, std::unique_ptr<Job>> jobs = std::move(jobs_);
    jobs_.clear();
    for (auto& [id, job] : jobs)
        job->page->disconnect(this);
    jobs.clear();
    endedJobs_.clear();
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
    t.channel->registerObject(QStringLiteral("bridge"), t.bridge.get());
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
    if (std::optional<QByteArray> body =
            submissions_.Requested(url, formSubmission, method, clock_.elapsed()))
        RaiseSubmission(url, *body);
}

void WebEngineBrowser::OnReport(Tab& tab, const QJsonValue& message)
{
    if (tab.closing)
        return;
    std::visit(Overloaded{
                   [](std::monostate) {},
                   [this, &tab](const HelloMessage&) {
                       tab.snapshots.Clear();
                       if (fillTab_ == &tab)
                           fillTab_ = nullptr; // a new document: the fill asked of the old one is over
                   },
                   [&tab](const MarkupMessage& m) { tab.snapshots.Apply(m); },
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
               ParseBridgeMessage(message));
}

void WebEngineBrowser::OnField(Tab& tab, const FieldMessage& m)
{
    if (&tab != current_)
        return; // a page out of sight has no focus to report
    active_ = tab.snapshots.Take(m);
    activeTab_ = &tab;
    activeHandle_ = m.handle;
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
    submittedActions_.insert(AddressKey(url));
    if (s.form)
        submittedPages_.insert(AddressKey(QUrl(s.form->pageUrl)));
    lastSubmission_ = std::move(s);
    events_.BeforeNavigate2(lastSubmission_->action, body);
}

// --- background work ---------------------------------------------------------------------

WebEngineBrowser::Job& WebEngineBrowser::StartJob(int id, const QUrl& address, bool javascript,
                                                  bool followRedirects,
                                                  std::function<void(const OperatorError&)> failed)
{
    auto job = std::make_unique<Job>();
    job->address = address.toString();
    job->failed = std::move(failed);
    job->page = std::make_unique<HiddenPage>(profile_.get(), address, followRedirects);
    HiddenPage* page = job->page.get();
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, javascript);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // An image load may renew a verification code in the site's session.
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // A load that fails leaves no page of the engine's to be read as the site's.
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    page->setAudioMuted(true);
    connect(page, &QWebEnginePage::windowCloseRequested, this,
            [this, id] { Fail(id, ErrorKind::NotChecked, u"后台打开的网页自己关闭了"_s); });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this, id] { Fail(id, ErrorKind::NotChecked, u"后台打开的网页意外结束了"_s); });
    job->timer.setSingleShot(true);
    connect(&job->timer, &QTimer::timeout, this, [this, id] {
        Fail(id, ErrorKind::TimedOut, QStringLiteral(u"网站 %1 秒内没有回应").arg(kBackgroundTimeoutMs / 1000));
    });
    job->timer.start(kBackgroundTimeoutMs);
    unanswered_.insert(id);
    Job& j = *job;
    jobs_[id] = std::move(job);
    return j;
}

void WebEngineBrowser::Refuse(int id, std::function<void(const OperatorError&)> failed,
                              const QString& address, const QString& message)
{
    unanswered_.insert(id);
    Deliver(id, [failed = std::move(failed), error = OperatorError{ErrorKind::Refused, address, message}] {
        failed(error);
    });
}

void WebEngineBrowser::Fail(int id, ErrorKind kind, const QString& what)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end())
        return;
    const Job& job = *it->second;
    const QString message = what + u'，' + job.outcome + u'：' + job.address;
    Finish(id, [failed = job.failed, error = OperatorError{kind, job.address, message}] { failed(error); });
}

void WebEngineBrowser::Finish(int id, std::function<void()> answer)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end())
        return;
    std::unique_ptr<Job> job = std::move(it->second);
    jobs_.erase(it);
    EndJob(std::move(job));
    Deliver(id, std::move(answer));
}

void WebEngineBrowser::EndJob(std::unique_ptr<Job> job)
{
    job->timer.stop();
    job->page->onLeave = nullptr;
    job->page->disconnect(this);
    job->page->triggerAction(QWebEnginePage::Stop);
    // The page may be inside one of its own signals: it goes on the next turn of the loop.
    endedJobs_.push_back(std::move(job));
    QTimer::singleShot(0, this, [this] { endedJobs_.clear(); });
}

void WebEngineBrowser::Deliver(int id, std::function<void()> answer)
{
    // From the event loop: never inside the call that asked, nor inside a page's signal.
    QMetaObject::invokeMethod(
        this,
        [this, id, answer = std::move(answer)] {
            if (unanswered_.remove(id))
                answer();
        },
        Qt::QueuedConnection);
}

void WebEngineBrowser::Cancel(int request)
{
    unanswered_.remove(request);
    auto it = jobs_.find(request);
    if (it == jobs_.end())
        return;
    std::unique_ptr<Job> job = std::move(it->second);
    jobs_.erase(it);
    EndJob(std::move(job));
}

int WebEngineBrowser::ReloadForm(const FormPlace& form,
                                 std::function<void(Result<std::vector<CheckedField>>)> answered)
{
    const int id = ++nextJob_;
    auto failed = [answered](const OperatorError& e) { answered(e); };
    const QUrl url(form.pageUrl, QUrl::StrictMode);
    if (!IsWebAddress(url)) {
        Refuse(id, failed, form.pageUrl,
               QStringLiteral(u"只能在后台重新打开 http 或 https 网页，这个地址不是：%1").arg(form.pageUrl));
        return id;
    }
    if (!submittedPages_.contains(AddressKey(url)) || form.index < 0) {
        Refuse(id, failed, form.pageUrl,
               QStringLiteral(u"只能在后台重新打开本次提交过表单的网页，这个网页不是：%1").arg(form.pageUrl));
        return id;
    }
    Job& job = StartJob(id, url, true, false, failed);
    job.outcome = u"无法检查"_s;
    job.place = form;
    job.reloaded = std::move(answered);
    // Before it is read or after: a page that goes elsewhere is not the one to answer for.
    job.page->onLeave = [this, id] { Fail(id, ErrorKind::NotChecked, u"后台打开的网页转到了别的地址"_s); };
    connect(job.page.get(), &QWebEnginePage::loadFinished, this, [this, id](bool ok) { OnReloadLoaded(id, ok); });
    job.page->load(url);
    return id;
}

void WebEngineBrowser::OnReloadLoaded(int id, bool ok)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end())
        return;
    Job& job = *it->second;
    if (!ok) {
        Fail(id, ErrorKind::NotChecked, u"后台重新打开网页失败"_s);
        return;
    }
    job.page->Settle();
    QString script = scripts_.reading;
    script.replace(QStringLiteral("@FORM_INDEX@"), QString::number(job.place.index));
    job.page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this, id](const QVariant& result) {
        auto it = jobs_.find(id);
        if (it == jobs_.end())
            return; // cancelled, timed out, or the page is going
        Job& job = *it->second;
        const std::optional<FormReadingMessage> reading =
            ParseFormReading(QJsonDocument::fromJson(result.toString().toUtf8()).object());
        if (!reading || !IsSameForm(job.place, *reading)) {
            Fail(id, ErrorKind::NotChecked,
                 QStringLiteral(u"重新打开的网页上找不到原来的表单（第 %1 个表单，提交到 %2）")
                     .arg(job.place.index + 1)
                     .arg(job.place.action));
            return;
        }
        Finish(id, [answered = job.reloaded, fields = ReadFields(reading->fields)] { answered(fields); });
    });
}

int WebEngineBrowser::Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered)
{
    const int id = ++nextJob_;
    auto failed = [answered](const OperatorError& e) { answered(e); };
    const QUrl url(request.action, QUrl::StrictMode);
    if (!IsWebAddress(url)) {
        Refuse(id, failed, request.action,
               QStringLiteral(u"只能向 http 或 https 地址重新提交，这个地址不是：%1").arg(request.action));
        return id;
    }
    if (!submittedActions_.contains(AddressKey(url))) {
        Refuse(id, failed, request.action,
               QStringLiteral(u"只能向本次提交过的地址重新提交，这个地址不是：%1").arg(request.action));
        return id;
    }
    const bool headerSafe = std::none_of(request.contentType.begin(), request.contentType.end(),
                                         [](QChar c) { return c.unicode() < 0x20 || c.unicode() > 0x7E; });
    if (request.contentType.isEmpty() || !headerSafe) {
        Refuse(id, failed, request.action, QStringLiteral(u"提交内容的类型不对，没有重新提交：%1").arg(request.contentType));
        return id;
    }
    Job& job = StartJob(id, url, false, true, failed);
    job.outcome = u"重新提交没有结果"_s;
    job.replayed = std::move(answered);
    HiddenPage* page = job.page.get();
    // Only a redirect to a place that cannot load; what the answer tries later is just refused.
    page->onLeave = [this, id, page] {
        if (!page->Settled())
            Fail(id, ErrorKind::Failed, u"网站转到了不能打开的地址"_s);
    };
    // The HTTP status comes with the end of the load, after loadFinished.
    connect(page, &QWebEnginePage::loadFinished, page, &HiddenPage::Settle);
    connect(page, &QWebEnginePage::loadingChanged, this, [this, id](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            OnReplayLoaded(id, info);
    });
    QWebEngineHttpRequest post(url, QWebEngineHttpRequest::Post);
    post.setPostData(request.body);
    post.setHeader("Content-Type", request.contentType.toLatin1());
    page->load(post);
    return id;
}

void WebEngineBrowser::OnReplayLoaded(int id, const QWebEngineLoadingInfo& info)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end() || it->second->loaded)
        return;
    Job& job = *it->second;
    const int status = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ? info.errorCode() : 0;
    // An HTTP error with a page is still the site's answer; a failed connection is none.
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus && status == 0) {
        Fail(id, ErrorKind::Failed,
             info.errorString().isEmpty() ? u"网站没有回应"_s
                                          : QStringLiteral(u"网站没有回应（%1）").arg(info.errorString()));
        return;
    }
    job.loaded = true;
    job.page->toHtml([this, id, status](const QString& html) {
        auto it = jobs_.find(id);
        if (it == jobs_.end())
            return;
        Job& job = *it->second;
        ReplayResponse response{status, job.page->url().toString(), html};
        Finish(id, [answered = job.replayed, response = std::move(response)] { answered(response); });
    });
}

} // namespace sitecapture
