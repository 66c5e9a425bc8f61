#include "wizard/report_checks.h"

#include "base/operator_error.h"
#include "capture/success_text.h"
#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/control_geometry.h"
#include "wizard/stored_buttons.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

xpcmdbutton* StripButton(const char* name, const QString& caption, QWidget* parent)
{
    xpcmdbutton* b = RestoreButton(name, parent);
    b->SetCaption(caption);
    return b;
}

} // namespace

QString FindingsSummary(const std::vector<Finding>& findings, const QStringList& notChecked)
{
    const auto problems = std::count_if(findings.begin(), findings.end(),
                                        [](const Finding& f) { return f.severity == Severity::Problem; });
    const auto warnings = qsizetype(findings.size()) - problems;
    QString text;
    if (problems > 0 || warnings > 0) {
        QStringList parts;
        if (problems > 0)
            parts << u"%1 个问题"_s.arg(problems);
        if (warnings > 0)
            parts << u"%1 个提醒"_s.arg(warnings);
        text = u"发布前检查："_s + parts.join(u"，"_s);
    }
    if (!notChecked.isEmpty()) {
        if (!text.isEmpty())
            text += u"；"_s;
        text += u"%1页无法检查每次访问都变的字段"_s.arg(notChecked.join(u"、"_s));
    }
    return text;
}

ReplayVerdict JudgeReplay(CheckedFormKind form, const Result<ReplayResponse>& answer, const QString& success)
{
    const QString what = u"重放%1："_s.arg(FormCaption(form));
    if (!answer)
        return {false, what + answer.error().message};
    if (!SuccessTextGiven(success))
        return {false, what + u"网站已回应，但没有填写成功后返回的代码，无法判断是否成功"_s};
    if (answer.value().text.contains(success))
        return {true, what + u"网站的回应含有成功代码“%1”，再次提交同样的数据可以成功"_s.arg(success)};
    return {false, what + u"网站的回应不含成功代码“%1”，同样的数据再提交一次没有成功，请查看回应内容"_s.arg(success)};
}

std::vector<std::array<QString, 3>> MappedFields(const FieldMap& login, const FieldMap& publish)
{
    std::vector<std::array<QString, 3>> mapped;
    for (const FieldMap* map : {&login, &publish}) {
        for (qsizetype i = 0; i < map->MappedCount(); ++i)
            mapped.push_back({map->fieldNames[i], map->fieldValues[i], map->fieldTokens[i]});
    }
    return mapped;
}

ReportChecks::ReportChecks(WizardSession& session, QWidget* parent)
    : QWidget(parent), session_(session), summary_(new QLabel(this)),
      detailsButton_(StripButton("ChecksDetails", u"检查详情"_s, this)),
      replayLoginButton_(StripButton("ReplayLogin", u"重放登录"_s, this)),
      replayPublishButton_(StripButton("ReplayPublish", u"重放发布"_s, this)),
      responseButton_(StripButton("ReplayResponse", u"回应内容"_s, this))
{
    setObjectName(u"ReportChecks"_s);
    summary_->setObjectName(u"ChecksSummary"_s);
    summary_->setTextFormat(Qt::PlainText);
    QPalette p = summary_->palette();
    p.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    summary_->setPalette(p);
    connect(detailsButton_, &xpcmdbutton::Click, this, &ReportChecks::ShowDetails);
    connect(replayLoginButton_, &xpcmdbutton::Click, this, [this] { Replay(CheckedFormKind::Login); });
    connect(replayPublishButton_, &xpcmdbutton::Click, this, [this] { Replay(CheckedFormKind::Publish); });
    connect(responseButton_, &xpcmdbutton::Click, this, &ReportChecks::ShowResponse);
    Recheck();
}

ReportChecks::~ReportChecks()
{
    Stop();
}

void ReportChecks::ApplyGeometry(double dpi)
{
    // One row above the report's first caption, right of nothing the report shows.
    Place(summary_, {0, 30, 4600, 300}, dpi);
    detailsButton_->setGeometry(ToPixels({4700, 0, 1100, 360}, dpi));
    replayLoginButton_->setGeometry(ToPixels({5900, 0, 1100, 360}, dpi));
    replayPublishButton_->setGeometry(ToPixels({7100, 0, 1100, 360}, dpi));
    responseButton_->setGeometry(ToPixels({8300, 0, 1100, 360}, dpi));
}

void ReportChecks::Run(CheckInput input)
{
    Stop();
    input_ = std::move(input);
    notChecked_.clear();
    lastResponse_.clear();
    const int generation = generation_;
    auto reload = [&](CheckedFormKind form) {
        const std::optional<CapturedSubmission>& submission = session_.Submission(form);
        if (!browser_ || !submission || !submission->form || input_.Form(form).action.trimmed().isEmpty())
            return;
        ++pendingReloads_;
        reloadRequests_.push_back(browser_->ReloadForm(
            *submission->form, [this, generation, form](Result<std::vector<CheckedField>> answer) {
                if (generation != generation_)
                    return; // for a report page shown earlier
                --pendingReloads_;
                if (answer)
                    SetReloadedValues(input_.Form(form).fields, answer.value());
                else
                    notChecked_ << FormCaption(form);
                Recheck();
            }));
    };
    reload(CheckedFormKind::Login);
    reload(CheckedFormKind::Publish);
    Recheck();
}

void ReportChecks::Stop()
{
    ++generation_;
    if (browser_) {
        for (int request : reloadRequests_)
            browser_->Cancel(request);
        if (replayRequest_)
            browser_->Cancel(replayRequest_);
    }
    reloadRequests_.clear();
    pendingReloads_ = 0;
    replayRequest_ = 0;
    if (details_)
        details_->close();
    RefreshButtons();
}

void ReportChecks::Recheck()
{
    findings_ = RunCaptureChecks(input_);
    QString text = Checking() ? u"正在检查…"_s : FindingsSummary(findings_, notChecked_);
    summary_->setText(text);
    summary_->setVisible(!text.isEmpty());
    detailsButton_->setVisible(!findings_.empty() || !notChecked_.isEmpty());
    RefreshButtons();
    emit Changed();
}

void ReportChecks::RefreshButtons()
{
    const bool replaying = replayRequest_ != 0;
    for (const CheckedFormKind form : {CheckedFormKind::Login, CheckedFormKind::Publish}) {
        xpcmdbutton* button = form == CheckedFormKind::Login ? replayLoginButton_ : replayPublishButton_;
        const bool running = replaying && replayForm_ == form;
        button->SetEnabled(session_.Submission(form).has_value() && (!replaying || running));
        button->SetCaption(running ? u"取消重放"_s : u"重放"_s + FormCaption(form));
    }
    responseButton_->setVisible(!lastResponse_.isEmpty());
}

void ReportChecks::Replay(CheckedFormKind form)
{
    if (replayRequest_) {
        // The button of the replay running cancels it.
        if (browser_)
            browser_->Cancel(replayRequest_);
        replayRequest_ = 0;
        emit Status(u"已取消重放"_s);
        RefreshButtons();
        emit Changed();
        return;
    }
    const std::optional<CapturedSubmission>& submission = session_.Submission(form);
    if (!browser_ || !submission)
        return;
    if (form == CheckedFormKind::Publish) {
        // A login changes nothing; a publish posts one more test offer.
        QMessageBox ask(QMessageBox::Question, QString::fromUtf16(kProductTitle),
                        u"重放会把捕捉到的发布数据原样再提交一次，也就是在该网站上再发布一条测试信息。确定要重放吗？"_s,
                        QMessageBox::Ok | QMessageBox::Cancel, window());
        ask.setObjectName(u"ReplayConfirm"_s);
        ask.setDefaultButton(QMessageBox::Cancel);
        if (ask.exec() != QMessageBox::Ok)
            return;
    }
    replayForm_ = form;
    lastResponse_.clear();
    const int generation = generation_;
    replayRequest_ = browser_->Replay({submission->action, submission->body, submission->contentType},
                                      [this, form, generation](Result<ReplayResponse> answer) {
                                          if (generation != generation_)
                                              return;
                                          ReplayAnswered(form, answer);
                                      });
    emit Status(u"正在重放%1表单，网站回应前可以点“取消重放”停止…"_s.arg(FormCaption(form)));
    RefreshButtons();
    emit Changed();
}

void ReportChecks::ReplayAnswered(CheckedFormKind form, const Result<ReplayResponse>& answer)
{
    replayRequest_ = 0;
    const ReplayVerdict verdict = JudgeReplay(form, answer, input_.Form(form).success);
    lastResponse_ = answer ? answer.value().text : QString();
    emit Status(verdict.text);
    RefreshButtons();
    emit Changed();
}

void ReportChecks::ShowDetails()
{
    if (details_)
        details_->close();
    auto* dialog = new QDialog(window());
    dialog->setObjectName(u"ChecksDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QString::fromUtf16(kProductTitle) + u" - 发布前检查"_s);
    auto* list = new QWidget;
    list->setObjectName(u"ChecksList"_s);
    auto* rows = new QVBoxLayout(list);
    // Names and values come from the site's pages: shown as plain text, never as markup.
    auto add = [&](Severity severity, const QString& heading, const QString& message) {
        auto* head = new QLabel(heading, list);
        head->setTextFormat(Qt::PlainText);
        QPalette p = head->palette();
        p.setColor(QPalette::WindowText, severity == Severity::Problem ? QColor(0xC0, 0x00, 0x00) : QColor(0xA0, 0x60, 0x00));
        head->setPalette(p);
        auto* text = new QLabel(message, list);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setContentsMargins(16, 0, 0, 6);
        rows->addWidget(head);
        rows->addWidget(text);
    };
    for (const Finding& f : findings_) {
        QString heading = (f.severity == Severity::Problem ? u"问题"_s : u"提醒"_s)
            + u" · %1"_s.arg(FormCaption(f.form));
        if (!f.fields.isEmpty())
            heading += u" · "_s + f.fields.join(u"、"_s);
        add(f.severity, heading, f.message);
    }
    for (const QString& form : notChecked_)
        add(Severity::Warning, u"提醒 · %1"_s.arg(form),
            u"该页无法在后台重新打开，没有检查每次访问都变的字段。"_s);
    rows->addStretch(1);
    auto* scroll = new QScrollArea(dialog);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(list);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(scroll);
    dialog->resize(640, 320);
    details_ = dialog;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ReportChecks::ShowResponse()
{
    if (lastResponse_.isEmpty())
        return;
    auto* dialog = new QDialog(window());
    dialog->setObjectName(u"ReplayResponseDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QString::fromUtf16(kProductTitle) + u" - 网站的回应"_s);
    auto* text = new QPlainTextEdit(lastResponse_, dialog);
    text->setReadOnly(true);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    dialog->resize(720, 480);
    dialog->show();
}

} // namespace sitecapture
