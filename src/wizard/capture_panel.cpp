#include "wizard/capture_panel.h"

#include "capture/capture_checks.h"
#include "capture/field_tracking.h"
#include "capture/placeholders.h"
#include "capture/submission_capture.h"
#include "capture/success_text.h"
#include "wizard/control_geometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

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
      text4_(new QPlainTextEdit(this)), text7_(new QLineEdit(QString::fromUtf16(kSuccessTextStart), this)),
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
    const std::optional<CapturedDisplay> shown = CaptureSubmission(
        int(session_.captureMode), url, postData, session_.fieldMap, captureSet_);
    if (shown) {
        const std::optional<CheckedFormKind> form = CapturedForm(session_.captureMode);
        if (browser_ && form)
            session_.Submission(*form) = browser_->LastSubmission();
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
            }
        }
    }
    emit FieldHandled();
}

void CapturePanel::StatusTextChange(const QString& text)
{
    if (CapturedForm(session_.captureMode) && text != QString::fromUtf16(kStatusDone))
        emit StatusText(text);
    emit StatusReported(text);
}

} // namespace sitecapture
