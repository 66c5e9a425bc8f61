#pragma once
// The browser's work out of the operator's sight: a form's page loaded once more and a
// submission posted once more, each in a hidden page of the browser's profile (so its
// cookies), each ending with one answer. What the operator's view submitted decides which
// addresses this work may use.

#include "base/operator_error.h"
#include "capture/browser_control.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QUrl;
class QWebEngineLoadingInfo;
class QWebEngineProfile;

namespace sitecapture {

class BackgroundPages final : public QObject {
public:
    // `readingScript` reads a form of a page loaded again; @FORM_INDEX@ still in it.
    BackgroundPages(QWebEngineProfile& profile, QString readingScript);
    ~BackgroundPages() override;

    // A submission the operator's view raised: its action may be replayed, and the page of
    // its form loaded again, from now on.
    void AllowSubmitted(const QUrl& action, const std::optional<FormPlace>& form);

    // As BrowserControl::ReloadForm, Replay and Cancel.
    int ReloadForm(const FormPlace& form, std::function<void(Result<std::vector<CheckedField>>)> answered);
    int Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered);
    void Cancel(int request);

private:
    struct Job;

    // Each job loads one hidden page and ends with one answer.
    Job& StartJob(int id, const QUrl& address, bool javascript, bool followRedirects,
                  std::function<void(const OperatorError&)> failed);
    // An answer for a job that never started: delivered like any other.
    void Refuse(int id, std::function<void(const OperatorError&)> failed, const QString& address,
                const QString& message);
    void Fail(int id, ErrorKind kind, const QString& message);
    void Finish(int id, std::function<void()> answer);
    void EndJob(std::unique_ptr<Job> job);
    void OnReloadLoaded(int id, bool ok);
    void OnReplayLoaded(int id, const QWebEngineLoadingInfo& info);
    void Deliver(int id, std::function<void()> answer);

    QWebEngineProfile& profile_;
    QString readingScript_;
    std::map<int, std::unique_ptr<Job>> jobs_;
    std::vector<std::unique_ptr<Job>> endedJobs_;
    QSet<QByteArray> submittedPages_;
    QSet<QByteArray> submittedActions_;
    int nextJob_ = 0;
    QSet<int> unanswered_; // jobs whose answer may still be delivered
};

} // namespace sitecapture
