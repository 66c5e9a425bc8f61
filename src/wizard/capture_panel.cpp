#include "wizard/capture_panel.h"

#include "capture/capture_checks.h"
#include "capture/field_tracking.h"
#include "capture/fill_plan.h"
#include "capture/placeholders.h"
#include "capture/submission_capture.h"
#include "capture/success_text.h"
#include "wizard/control_geometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>

#include <limits>

using namespace Qt::StringLiterals;

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
    : QGroupBox(u"捕捉信息"_s, parent), session_(session), captureSet_(captureSet),
      fieldNameCaption_(NamedLabel("Label11", u"当前变量:"_s, this)),
      fieldValueCaption_(NamedLabel("Label12", u"值："_s, this)),
      successTextCaption_(NamedLabel("Label13", u"成功后返回的代码："_s, this)),
      actionCaption_(NamedLabel("Label9", u"链    接:"_s, this)),
      dataCaption_(NamedLabel("Label10", u"数    据:"_s, this)),
      actionBox_(new QLineEdit(this)), fieldNameBox_(new QLineEdit(this)), fieldValueBox_(new QLineEdit(this)),
      dataBox_(new QPlainTextEdit(this)), successTextBox_(new QLineEdit(QString::fromUtf16(kSuccessTextStart), this)),
      placeholderBox_(new QComboBox(this))
{
    setObjectName(u"Frame5"_s);
    actionBox_->setObjectName(u"Text1"_s);
    fieldNameBox_->setObjectName(u"Text2"_s);
    fieldValueBox_->setObjectName(u"Text3"_s);
    dataBox_->setObjectName(u"Text4"_s);
    successTextBox_->setObjectName(u"Text7"_s);
    placeholderBox_->setObjectName(u"Combo1"_s);

    for (QLineEdit* box : {actionBox_, fieldNameBox_, fieldValueBox_})
        box->setReadOnly(true);
    // A line box keeps 32767 characters unless told otherwise; a value cut short there would
    // no longer match the submitted data.
    for (QLineEdit* box : {actionBox_, fieldNameBox_, fieldValueBox_, successTextBox_})
        box->setMaxLength(std::numeric_limits<int>::max());
    actionBox_->setFrame(false);
    dataBox_->setReadOnly(true);
    dataBox_->setFrameShape(QFrame::NoFrame);
    TooltipBackground(actionBox_);
    TooltipBackground(fieldNameBox_);
    TooltipBackground(fieldValueBox_);
    TooltipBackground(dataBox_);
    placeholderBox_->addItems(Combo1Entries());
    placeholderBox_->setMaxVisibleItems(20);

    // Synchronous, whether the operator or the program makes the change.
    connect(fieldNameBox_, &QLineEdit::textChanged, this, &CapturePanel::FieldNameChanged);
    connect(fieldValueBox_, &QLineEdit::textChanged, this, &CapturePanel::FieldValueChanged);
    connect(placeholderBox_, &QComboBox::currentIndexChanged, this, &CapturePanel::MapCurrentField);
    // The operator picking the entry already shown still counts as a choice.
    connect(placeholderBox_, &QComboBox::activated, this, [this](int index) {
        if (index == placeholderBox_->currentIndex())
            MapCurrentField();
    });
}

void CapturePanel::ApplyGeometry(double dpi)
{
    Place(fieldNameCaption_, {150, 360, 975, 255}, dpi);
    Place(fieldNameBox_, {1065, 240, 1215, 300}, dpi);
    Place(fieldValueCaption_, {2655, 300, 420, 180}, dpi);
    Place(fieldValueBox_, {3030, 240, 1755, 300}, dpi);
    Place(placeholderBox_, {4980, 240, 2325, 300}, dpi);
    Place(successTextCaption_, {7485, 285, 1620, 180}, dpi);
    Place(successTextBox_, {9135, 225, 1725, 315}, dpi);
    Place(actionCaption_, {150, 720, 855, 255}, dpi);
    Place(actionBox_, {1095, 675, 9780, 285}, dpi);
    Place(dataCaption_, {165, 1320, 855, 255}, dpi);
    Place(dataBox_, {1080, 1065, 9765, 690}, dpi);
}

void CapturePanel::SelectLabel(int index)
{
    if (index == placeholderBox_->currentIndex())
        MapCurrentField();
    else
        placeholderBox_->setCurrentIndex(index);
}

void CapturePanel::MapCurrentField()
{
    sitecapture::MapCurrentField(session_.fieldMap, fieldNameBox_->text(), fieldValueBox_->text(),
                                 placeholderBox_->currentText());
}

void CapturePanel::FieldNameChanged()
{
    if (fieldNameBox_->text().isEmpty())
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
    const std::optional<CheckedFormKind> form = CapturedForm(session_.captureMode);
    // An editor's text area holds what was typed into the editor only now.
    if (submission && form)
        MapEditedTextAreas(session_.fieldMap, submission->fields);
    const std::optional<CapturedDisplay> shown = CaptureSubmission(
        session_.captureMode, url, postData, session_.fieldMap, captureSet_);
    if (shown) {
        if (browser_ && form)
            session_.Submission(*form) = submission;
        answer_.Submitted(submission ? submission->pageMarkup : QString());
        actionBox_->setText(shown->action);
        actionBox_->setCursorPosition(0); // the start of a long address says most
        dataBox_->setPlainText(shown->data);
    }
    emit Navigated(url, postData);
}

void CapturePanel::CommandStateChange()
{
    if (browser_) {
        if (const std::optional<FieldSnapshot> field = browser_->ActiveField()) {
            const TrackDecision d = TrackActiveField(*field, fieldNameBox_->text(), fieldValueBox_->text());
            if (d.path != TrackPath::None && d.path != TrackPath::Unchanged) {
                // Name, then value, then the proposal: the mapping relies on this order.
                fieldNameBox_->setText(d.fieldName);
                fieldValueBox_->setText(d.fieldValue);
                if (d.labelIndex)
                    SelectLabel(*d.labelIndex);
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
    if (CapturedForm(session_.captureMode) && text != QString::fromUtf16(kStatusDone))
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
    placeholderBox_->setToolTip(u"<p style='white-space:pre-wrap'>"_s + p.why.toHtmlEscaped() + u"</p>"_s);
    suggestion_ = p.label && !p.selectedOnFocus ? p.label : std::nullopt;
    if (CapturedForm(session_.captureMode))
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
    if (SuccessTextGiven(successTextBox_->text()))
        return;
    const std::optional<QString> proposed = ProposeSuccessText(answer, answer_.FormPage());
    if (!proposed)
        return;
    successTextBox_->setText(*proposed);
    successTextBox_->selectAll();
    successTextBox_->setFocus(Qt::OtherFocusReason);
    emit StatusText(u"“成功后返回的代码”按网站的回应建议为“%1”，不对请改"_s.arg(*proposed));
    emit SuccessTextProposed(*proposed);
}

} // namespace sitecapture
