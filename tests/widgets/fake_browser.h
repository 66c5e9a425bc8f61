#pragma once
// A browser without an engine, for window tests: the test sets what the page shows and
// raises the events; the fake records what the window asked of it.

#include "capture/browser_control.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace sitecapture {

class FakeBrowser final : public BrowserControl {
public:
    explicit FakeBrowser(BrowserEvents& events) : events_(events), view_(std::make_unique<QWidget>()) {}
    ~FakeBrowser() override { *journal << QStringLiteral("destroyed"); }

    QWidget* Widget() override { return view_.get(); }
    void Navigate(const QString& address) override { navigated << address; }
    QString Tag() const override { return tag_; }
    void SetTag(const QString& tag) override { tag_ = tag; }
    std::optional<FieldSnapshot> ActiveField() const override { return field; }
    void HighlightActiveField() override { ++highlights; }
    void Ping(std::function<void()> answered) override { answered(); }
    std::optional<CapturedSubmission> LastSubmission() const override { return submission; }
    // Held until the test answers them: the last fill asked for, and every page read.
    void FillTestOffer(std::function<void(FillOutcome)> answered) override { fill = std::move(answered); }
    void ReadPage(std::function<void(QString)> answered) override { pageReads.push_back(std::move(answered)); }

    // Background work is held until the test answers it (AnswerReload, AnswerReplay), or
    // answered on the next turn of the event loop with reloadAnswer/replayAnswer when set.
    int ReloadForm(const FormPlace& form,
                   std::function<void(Result<std::vector<CheckedField>>)> answered) override
    {
        reloads.push_back({++lastRequest, form, std::move(answered)});
        if (reloadAnswer)
            AnswerLater([this, id = lastRequest] { AnswerReload(*reloadAnswer, id); });
        return lastRequest;
    }
    int Replay(const ReplayRequest& request, std::function<void(Result<ReplayResponse>)> answered) override
    {
        replays.push_back({++lastRequest, request, std::move(answered)});
        if (replayAnswer)
            AnswerLater([this, id = lastRequest] { AnswerReplay(*replayAnswer, id); });
        return lastRequest;
    }
    void Cancel(int request) override
    {
        *journal << QStringLiteral("cancel %1").arg(request);
        cancelled << request;
        std::erase_if(reloads, [request](const auto& r) { return r.id == request; });
        std::erase_if(replays, [request](const auto& r) { return r.id == request; });
    }

    // The page: the operator focuses or edits a field, submits a form, the status changes.
    void Focus(const FieldSnapshot& f)
    {
        field = f;
        events_.CommandStateChange();
    }
    void Submit(const QString& url, const QByteArray& body) { events_.BeforeNavigate2(url, body); }
    // A submission the page described, raised as the browser raises it.
    void Submit(const CapturedSubmission& s)
    {
        submission = s;
        events_.BeforeNavigate2(s.action, s.body);
    }
    void Status(const QString& text) { events_.StatusTextChange(text); }

    // Answers the reload or replay `id` (0: the oldest) if it still waits; false if not.
    bool AnswerReload(const Result<std::vector<CheckedField>>& answer, int id = 0) { return Answer(reloads, answer, id); }
    bool AnswerReplay(const Result<ReplayResponse>& answer, int id = 0) { return Answer(replays, answer, id); }

    template <class Request, class Answer>
    struct Waiting {
        int id = 0;
        Request request;
        std::function<void(Answer)> answered;
    };

    std::optional<FieldSnapshot> field;
    std::optional<CapturedSubmission> submission;
    std::function<void(FillOutcome)> fill;
    std::vector<std::function<void(QString)>> pageReads;
    QStringList navigated;
    int highlights = 0;
    std::vector<Waiting<FormPlace, Result<std::vector<CheckedField>>>> reloads;
    std::vector<Waiting<ReplayRequest, Result<ReplayResponse>>> replays;
    std::optional<Result<std::vector<CheckedField>>> reloadAnswer;
    std::optional<Result<ReplayResponse>> replayAnswer;
    QList<int> cancelled;
    // What happened to the browser, kept past its end: cancellations, then its destruction.
    std::shared_ptr<QStringList> journal = std::make_shared<QStringList>();
    int lastRequest = 0;

private:
    template <class List, class Value>
    static bool Answer(List& list, const Value& answer, int id)
    {
        auto it = std::find_if(list.begin(), list.end(), [id](const auto& r) { return id == 0 || r.id == id; });
        if (it == list.end())
            return false;
        auto answered = std::move(it->answered);
        list.erase(it);
        answered(answer);
        return true;
    }

    // On the next turn of the event loop, as the real browser answers at the earliest.
    void AnswerLater(std::function<void()> answer) { QTimer::singleShot(0, view_.get(), std::move(answer)); }

    BrowserEvents& events_;
    QString tag_ = QStringLiteral("0");
    std::unique_ptr<QWidget> view_;
};

} // namespace sitecapture
