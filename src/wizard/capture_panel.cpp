#include "wizard/capture_panel.h"

#include "capture/field_tracking.h"
#include "capture/fill_plan.h"
#include "capture/placeholders.h"
#include "capture/submission_capture.h"
#include "wizard/control_geometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>

#include <limits>

namespace sitecapture {
namespace {

// Text1 to Text4 have the tooltip background of the system.
template <class Box>
void TooltipBackground(Box* box)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
    box->setPalette(p);
}

QLabel* NamedLabel(const char* name, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

CapturePanel::CapturePanel(WizardSession& session, CaptureSet& captureSet, QWidget* parent)
    : QGroupBox(QStringLiteral(u"捕捉信息"), parent), session_(session), captureSet_(captureSet),
      label11_(NamedLabel("Label11", QStringLiteral(u"当前变量:"), this)),
      label12_(NamedLabel("Label12", QStringLiteral(u"值："), this)),
      label13_(NamedLabel("Label13", QStringLiteral(u"成功后返回的代码："), this)),
      label9_(NamedLabel("Label9", QStringLiteral(u"链    接:"), this)),
      label10_(NamedLabel("Label10", QStringLiteral(u"数    据:"), this)),
      text1_(new QLineEdit(this)), text2_(new QLineEdit(this)), text3_(new QLineEdit(this)),
      text4_(new QPlainTextEdit(this)), text7_(new QLineEdit(QStringLiteral("<"), this)),
      combo1_(new QComboBox(this))
{
    setObjectName(QStringLiteral("Frame5"));
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_->setObjectName(QStringLiteral("Text2"));
    text3_->setObjectName(QStringLiteral("Text3"));
    text4_->setObjectName(QStringLiteral("Text4"));
    text7_->setObjectName(QStringLiteral("Text7"));
    combo1_->setObjectName(QStringLiteral("Combo1"));

    for (QLineEdit* box : {text1_, text2_, text3_})
        box->setReadOnly(true);
    // A line box keeps 32767 characters unless told otherwise; a value cut short there would
    // no longer match the submitted data.
    for (QLineEdit* box : {text1_, text2_, text3_, text7_})
        box->setMaxLength(std::numeric_limits<int>::max());
    text1_->setFrame(false);
    text4_->setReadOnly(true);
    text4_->setFrameShape(QFrame::NoFrame);
    TooltipBackground(text1_);
    TooltipBackground(text2_);
    TooltipBackground(text3_);
    TooltipBackground(text4_);
    combo1_->addItems(Combo1Entries());
    combo1_->setMaxVisibleItems(20);

    // Synchronous, whether the operator or the program makes the change.
    connect(text2_, &QLineEdit::textChanged, this, &CapturePanel::FieldNameChanged);
    connect(text3_, &QLineEdit::textChanged, this, &CapturePanel::FieldValueChanged);
    connect(combo1_, &QComboBox::currentIndexChanged, this, &CapturePanel::MapCurrentField);
    // The operator picking the entry already shown still counts as a choice.
    connect(combo1_, &QComboBox::activated, this, [this](int index) {
        if (index == combo1_->currentIndex())
            MapCurrentField();
    });
}

void CapturePanel::ApplyGeometry(double dpi)
{
    Place(label11_, {150, 360, 975, 255}, dpi);
    Place(text2_, {1065, 240, 1215, 300}, dpi);
    Place(label12_, {2655, 300, 420, 180}, dpi);
    Place(text3_, {3030, 240, 1755, 300}, dpi);
    Place(combo1_, {4980, 240, 2325, 300}, dpi);
    Place(label13_, {7485, 285, 1620, 180}, dpi);
    Place(text7_, {9135, 225, 1725, 315}, dpi);
    Place(label9_, {150, 720, 855, 255}, dpi);
    Place(text1_, {1095, 675, 9780, 285}, dpi);
    Place(label10_, {165, 1320, 855, 255}, dpi);
    Place(text4_, {1080, 1065, 9765, 690}, dpi);
}

void CapturePanel::SelectLabel(int index)
{
    if (index == combo1_->currentIndex())
        MapCurrentField();
    else
        combo1_->setCurrentIndex(index);
}

void CapturePanel::MapCurrentField()
{
    sitecapture::MapCurrentField(session_.fieldMap, text2_->text(), text3_->text(),
                                 combo1_->currentText());
}

void CapturePanel::FieldNameChanged()
{
    if (text2_->text().isEmpty())
        return;
    SelectLabel(0);
    MapCurrentField();
}

void CapturePanel::FieldValueChanged()
{
    MapCurrentField();
}

void CapturePanel::BeforeNavigate2(const QString& url, const QByteArray& postData)
{
    const std::optional<CapturedSubmission> submission =
        browser_ && !postData.isEmpty() ? browser_->LastSubmission() : std::nullopt;
    const bool capturing = session_.captureMode == CaptureMode::LoginCapturePage
        || session_.captureMode == CaptureMode::PublishCapturePage;
    // An editor's text area holds what was typed into the editor only now.
    if (submission && capturing)
        MapEditedTextAreas(session_.fieldMap, submission->fields);
    const std::optional<CapturedDisplay> shown = CaptureSubmission(
        int(session_.captureMode), url, postData, session_.fieldMap, captureSet_);
    if (shown) {
        if (browser_) {
            std::optional<CapturedSubmission>& kept = session_.captureMode == CaptureMode::LoginCapturePage
                ? session_.loginSubmission
                : session_.publishSubmission;
            kept = submission;
        }
        answer_.Submitted(submission ? submission->pageMarkup : QString());
        text1_->setText(shown->text1);
        text1_->setCursorPosition(0); // the start of a long address says most
        text4_->setPlainText(shown->text4);
    }
    emit Navigated(url, postData);
}

void CapturePanel::CommandStateChange()
{
    if (browser_) {
        if (const std::optional<FieldSnapshot> field = browser_->ActiveField()) {
            const TrackDecision d = TrackActiveField(*field, text2_->text(), text3_->text());
            if (d.path != TrackPath::None && d.path != TrackPath::Unchanged) {
                // Name, then value, then the proposal: the mapping relies on this order.
                text2_->setText(d.text2);
                text3_->setText(d.text3);
                if (d.combo1Index)
                    SelectLabel(*d.combo1Index);
                if (d.highlight)
                    browser_->HighlightActiveField();
                FieldEvidence evidence = field->evidence;
                evidence.tag = field->tagName;
                evidence.name = field->name;
                ShowProposal(ProposeLabel(d.labelWindow, evidence));
            }
        }
    }
    emit FieldHandled();
}

void CapturePanel::StatusTextChange(const QString& text)
{
    const bool capturing = session_.captureMode == CaptureMode::LoginCapturePage
        || session_.captureMode == CaptureMode::PublishCapturePage;
    if (capturing && text != QString::fromUtf16(kStatusDone))
        emit StatusText(text);
    if (answer_.Status(text) && browser_) {
        browser_->ReadPage([self = QPointer<CapturePanel>(this)](const QString& answer) {
            if (self)
                self->ProposeSuccess(answer);
        });
    }
    emit StatusReported(text);
}

void CapturePanel::ShowProposal(const Proposal& p)
{
    // Tooltips read markup: the page's words are shown as they are.
    combo1_->setToolTip(u"<p style='white-space:pre-wrap'>"_qs + p.why.toHtmlEscaped() + u"</p>"_qs);
    suggestion_ = p.label && !p.selectedOnFocus ? p.label : std::nullopt;
    if (session_.captureMode == CaptureMode::LoginCapturePage || session_.captureMode == CaptureMode::PublishCapturePage)
        emit StatusText(ProposalStatus(p, adoptKey_));
    emit SuggestionChanged(suggestion_.value_or(QString()));
}

void CapturePanel::AdoptSuggestion()
{
    if (!suggestion_)
        return;
    const int index = Combo1IndexOf(*suggestion_);
    suggestion_.reset();
    if (index > 0)
        SelectLabel(index);
    emit SuggestionChanged(QString());
}

void CapturePanel::FillTestOffer()
{
    if (!browser_)
        return;
    browser_->FillTestOffer([self = QPointer<CapturePanel>(this)](const FillOutcome& outcome) {
        if (!self)
            return;
        MapFilledFields(self->session_.fieldMap, outcome.filled);
        emit self->StatusText(FillSummary(qsizetype(outcome.filled.size()), outcome.left));
        emit self->Filled(int(outcome.filled.size()));
    });
}

void CapturePanel::ProposeSuccess(const QString& answer)
{
    // Never over what the operator typed: only the box's starting text gives way.
    const QString shown = text7_->text().trimmed();
    if (!shown.isEmpty() && shown != u"<")
        return;
    const std::optional<QString> proposed = ProposeSuccessText(answer, answer_.FormPage());
    if (!proposed)
        return;
    text7_->setText(*proposed);
    text7_->selectAll();
    text7_->setFocus(Qt::OtherFocusReason);
    emit StatusText(u"“成功后返回的代码”按网站的回应建议为“%1”，不对请改"_qs.arg(*proposed));
    emit SuccessTextProposed(*proposed);
}

} // namespace sitecapture
