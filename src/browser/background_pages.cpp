#include "browser/background_pages.h"

#include "browser/page_log.h"
#include "capture/bridge_messages.h"
#include "capture/submission_matcher.h"
#include "capture/submitted_form.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

constexpr int kTimeoutMs = BrowserControl::kBackgroundTimeoutMs;

// The only addresses background work loads or posts to.
bool IsWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (url.scheme().compare(u"http", Qt::CaseInsensitive) == 0
            || url.scheme().compare(u"https", Qt::CaseInsensitive) == 0);
}

// A page loaded in the background: out of sight, without the tool's scripts or channel.
// It loads the one address it was made for; anything else it tries (another address, a
// frame, a window, a dialog, a file) comes to nothing, and leaving the address is reported.
class HiddenPage final : public QWebEnginePage {
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

} // namespace

struct BackgroundPages::Job {
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

BackgroundPages::BackgroundPages(QWebEngineProfile& profile, QString readingScript)
    : profile_(profile), readingScript_(std::move(readingScript))
{
}

BackgroundPages::~BackgroundPages()
{
    // No job answers any more: a page going answers its pending script calls, which find
    // no job then.
    unanswered_.clear();
    std::map<int, std::unique_ptr<Job>> jobs = std::move(jobs_);
    jobs_.clear();
    for (auto& [id, job] : jobs)
        job->page->disconnect(this);
    jobs.clear();
    endedJobs_.clear();
}

void BackgroundPages::AllowSubmitted(const QUrl& action, const std::optional<FormPlace>& form)
{
    submittedActions_.insert(AddressKey(action));
    if (form)
        submittedPages_.insert(AddressKey(QUrl(form->pageUrl)));
}

BackgroundPages::Job& BackgroundPages::StartJob(int id, const QUrl& address, bool javascript, bool followRedirects,
                                                std::function<void(const OperatorError&)> failed)
{
    auto job = std::make_unique<Job>();
    job->address = address.toString();
    job->failed = std::move(failed);
    job->page = std::make_unique<HiddenPage>(&profile_, address, followRedirects);
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
        Fail(id, ErrorKind::TimedOut, u"网站 %1 秒内没有回应"_s.arg(kTimeoutMs / 1000));
    });
    job->timer.start(kTimeoutMs);
    unanswered_.insert(id);
    Job& j = *job;
    jobs_[id] = std::move(job);
    return j;
}

void BackgroundPages::Refuse(int id, std::function<void(const OperatorError&)> failed,
                             const QString& address, const QString& message)
{
    unanswered_.insert(id);
    Deliver(id, [failed = std::move(failed), error = OperatorError{ErrorKind::Refused, address, message}] {
        failed(error);
    });
}

void BackgroundPages::Fail(int id, ErrorKind kind, const QString& what)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end())
        return;
    const Job& job = *it->second;
    const QString message = what + u'，' + job.outcome + u'：' + job.address;
    Finish(id, [failed = job.failed, error = OperatorError{kind, job.address, message}] { failed(error); });
}

void BackgroundPages::Finish(int id, std::function<void()> answer)
{
    auto it = jobs_.find(id);
    if (it == jobs_.end())
        return;
    std::unique_ptr<Job> job = std::move(it->second);
    jobs_.erase(it);
    EndJob(std::move(job));
    Deliver(id, std::move(answer));
}

void BackgroundPages::EndJob(std::unique_ptr<Job> job)
{
    job->timer.stop();
    job->page->onLeave = nullptr;
    job->page->disconnect(this);
    job->page->triggerAction(QWebEnginePage::Stop);
    // The page may be inside one of its own signals: it goes on the next turn of the loop.
    endedJobs_.push_back(std::move(job));
    QTimer::singleShot(0, this, [this] { endedJobs_.clear(); });
}

void BackgroundPages::Deliver(int id, std::function<void()> answer)
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

void BackgroundPages::Cancel(int request)
{
    unanswered_.remove(request);
    auto it = jobs_.find(request);
    if (it == jobs_.end())
        return;
    std::unique_ptr<Job> job = std::move(it->second);
    jobs_.erase(it);
    EndJob(std::move(job));
}

int BackgroundPages::ReloadForm(const FormPlace& form,
                                std::function<void(Result<std::vector<CheckedField>>)> answered)
{
    const int id = ++nextJob_;
    auto failed = [answered](const OperatorError& e) { answered(e); };
    const QUrl url(form.pageUrl, QUrl::StrictMode);
    if (!IsWebAddress(url)) {
        Refuse(id, failed, form.pageUrl,
               u"只能在后台重新打开 http 或 https 网页，这个地址不是：%1"_s.arg(form.pageUrl));
        return id;
    }
    if (!submittedPages_.contains(AddressKey(url)) || form.index < 0) {
        Refuse(id, failed, form.pageUrl,
               u"只能在后台重新打开本次提交过表单的网页，这个网页不是：%1"_s.arg(form.pageUrl));
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

void BackgroundPages::OnReloadLoaded(int id, bool ok)
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
    QString script = readingScript_;
    script.replace(u"@FORM_INDEX@"_s, QString::number(job.place.index));
    job.page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this, id](const QVariant& result) {
        auto it = jobs_.find(id);
        if (it == jobs_.end())
            return; // cancelled, timed out, or the page is going
        Job& job = *it->second;
        const std::optional<FormReadingMessage> reading =
            ParseFormReading(QJsonDocument::fromJson(result.toString().toUtf8()).object());
        if (!reading || !IsSameForm(job.place, *reading)) {
            Fail(id, ErrorKind::NotChecked,
                 u"重新打开的网页上找不到原来的表单（第 %1 个表单，提交到 %2）"_s
                     .arg(job.place.index + 1)
                     .arg(job.place.action));
            return;
        }
        Finish(id, [answered = job.reloaded, fields = ReadFields(reading->fields)] { answered(fields); });
    });
}

int BackgroundPages::Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered)
{
    const int id = ++nextJob_;
    auto failed = [answered](const OperatorError& e) { answered(e); };
    const QUrl url(request.action, QUrl::StrictMode);
    if (!IsWebAddress(url)) {
        Refuse(id, failed, request.action,
               u"只能向 http 或 https 地址重新提交，这个地址不是：%1"_s.arg(request.action));
        return id;
    }
    if (!submittedActions_.contains(AddressKey(url))) {
        Refuse(id, failed, request.action,
               u"只能向本次提交过的地址重新提交，这个地址不是：%1"_s.arg(request.action));
        return id;
    }
    const bool headerSafe = std::none_of(request.contentType.begin(), request.contentType.end(),
                                         [](QChar c) { return c.unicode() < 0x20 || c.unicode() > 0x7E; });
    if (request.contentType.isEmpty() || !headerSafe) {
        Refuse(id, failed, request.action, u"提交内容的类型不对，没有重新提交：%1"_s.arg(request.contentType));
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

void BackgroundPages::OnReplayLoaded(int id, const QWebEngineLoadingInfo& info)
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
                                          : u"网站没有回应（%1）"_s.arg(info.errorString()));
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
