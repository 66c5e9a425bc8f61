#pragma once
// The report page's checks and replay: what the findings say in one line, what a replay's
// answer means, and the strip of the report page that shows both. The checks themselves are
// the capture engine's; this runs them, reloads the forms' pages for the per-visit check and
// sends a replay when the operator asks.

#include "base/operator_error.h"
#include "capture/browser_control.h"
#include "capture/capture_checks.h"
#include "wizard/wizard_session.h"

#include <QPointer>
#include <QWidget>

#include <vector>

class QDialog;
class QLabel;

namespace sitecapture {

class xpcmdbutton;

// "发布前检查：1 个问题，2 个提醒" (with a note for forms that could not be checked); empty when
// all is well.
QString FindingsSummary(const std::vector<Finding>& findings, const QStringList& notChecked);

// What a replay's answer tells the operator: whether the response holds the success text.
struct ReplayVerdict {
    bool succeeded = false;
    QString text;
    friend bool operator==(const ReplayVerdict&, const ReplayVerdict&) = default;
};
ReplayVerdict JudgeReplay(CheckedFormKind form, const Result<ReplayResponse>& answer, const QString& success);

// The entries of both forms' field maps as the checks take them.
std::vector<std::array<QString, 3>> MappedFields(const FieldMap& login, const FieldMap& publish);

class ReportChecks : public QWidget {
    Q_OBJECT
public:
    ReportChecks(WizardSession& session, QWidget* parent);
    ~ReportChecks() override;

    void SetBrowser(BrowserControl* browser) { browser_ = browser; }
    // The report page is shown: checks `input` at once, then again as the forms' pages come
    // back from being loaded once more. The success texts are the ones replays look for.
    void Run(CheckInput input);
    // The report page is left: nothing still running may answer into another page.
    void Stop();

    const std::vector<Finding>& Findings() const { return findings_; }
    bool Checking() const { return pendingReloads_ > 0; }

    void Replay(CheckedFormKind form);
    void ShowDetails();
    void ShowResponse();

    // Places the strip for the window's dots per inch.
    void ApplyGeometry(double dpi);

signals:
    // A line for the status bar: a replay running, its verdict.
    void Status(const QString& text);
    // The findings or the state of a replay changed (for tests and measurements).
    void Changed();

private:
    void Recheck();
    void ReplayAnswered(CheckedFormKind form, const Result<ReplayResponse>& answer);
    void RefreshButtons();

    WizardSession& session_;
    BrowserControl* browser_ = nullptr;
    CheckInput input_;
    std::vector<Finding> findings_;
    QStringList notChecked_;
    int generation_ = 0;
    int pendingReloads_ = 0;
    std::vector<int> reloadRequests_;
    // The replay running: its request and form; 0 when none.
    int replayRequest_ = 0;
    CheckedFormKind replayForm_ = CheckedFormKind::Publish;
    QString lastResponse_;

    QLabel* summary_;
    xpcmdbutton* detailsButton_;
    xpcmdbutton* replayLoginButton_;
    xpcmdbutton* replayPublishButton_;
    xpcmdbutton* responseButton_;
    QPointer<QDialog> details_;
};

} // namespace sitecapture
