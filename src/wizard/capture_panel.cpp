#include "wizard/capture_panel.h"

#include "capture/field_tracking.h"
#include "capture/placeholders.h"
#include "capture/submission_capture.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

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

} // namespace

CapturePanel::CapturePanel(FieldMap& fieldMap, CaptureSet& captureSet, QWidget* parent)
    : QWidget(parent), fieldMap_(fieldMap), captureSet_(captureSet),
      text1_(new QLineEdit(this)), text2_(new QLineEdit(this)), text3_(new QLineEdit(this)),
      text4_(new QPlainTextEdit(this)), text7_(new QLineEdit(QStringLiteral("<"), this)),
      combo1_(new QComboBox(this))
{
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_->setObjectName(QStringLiteral("Text2"));
    text3_->setObjectName(QStringLiteral("Text3"));
    text4_->setObjectName(QStringLiteral("Text4"));
    text7_->setObjectName(QStringLiteral("Text7"));
    combo1_->setObjectName(QStringLiteral("Combo1"));

    for (QLineEdit* box : {text1_, text2_, text3_})
        box->setReadOnly(true);
    text1_->setFrame(false);
    text4_->setReadOnly(true);
    text4_->setFrameShape(QFrame::NoFrame);
    TooltipBackground(text1_);
    TooltipBackground(text2_);
    TooltipBackground(text3_);
    TooltipBackground(text4_);
    combo1_->addItems(Combo1Entries());
    combo1_->setMaxVisibleItems(20);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral(u"当前变量:"), text2_);
    form->addRow(QStringLiteral(u"值："), text3_);
    form->addRow(QString(), combo1_);
    form->addRow(QStringLiteral(u"成功后返回的代码："), text7_);
    form->addRow(QStringLiteral(u"链    接:"), text1_);
    form->addRow(QStringLiteral(u"数    据:"), text4_);

    // Synchronous, whether the operator or the program makes the change.
    connect(text2_, &QLineEdit::textChanged, this, &CapturePanel::FieldNameChanged);
    connect(text3_, &QLineEdit::textChanged, this, &CapturePanel::FieldValueChanged);
    connect(combo1_, &QComboBox::currentIndexChanged, this, &CapturePanel::MapCurrentField);
}

int CapturePanel::CaptureMode() const
{
    if (!browser_)
        return int(CaptureMode::SiteInfoPage);
    return int(NumberFromTag(browser_->Tag()).value_or(0));
}

void CapturePanel::MapCurrentField()
{
    sitecapture::MapCurrentField(fieldMap_, text2_->text(), text3_->text(), combo1_->currentText());
}

void CapturePanel::FieldNameChanged()
{
    if (text2_->text().isEmpty())
        return;
    combo1_->setCurrentIndex(0);
    MapCurrentField();
}

void CapturePanel::FieldValueChanged()
{
    MapCurrentField();
}

void CapturePanel::BeforeNavigate2(const QString& url, const QByteArray& postData)
{
    const std::optional<CapturedDisplay> shown =
        CaptureSubmission(CaptureMode(), url, postData, fieldMap_, captureSet_);
    if (!shown)
        return;
    text1_->setText(shown->text1);
    text1_->setCursorPosition(0); // the start of a long address says most
    text4_->setPlainText(shown->text4);
}

void CapturePanel::CommandStateChange()
{
    if (!browser_)
        return;
    const std::optional<FieldSnapshot> field = browser_->ActiveField();
    if (!field)
        return;
    const TrackDecision d = TrackActiveField(*field, text2_->text(), text3_->text());
    if (d.path == TrackPath::None || d.path == TrackPath::Unchanged)
        return;
    // Name, then value, then the proposal: the mapping relies on this order.
    text2_->setText(d.text2);
    text3_->setText(d.text3);
    if (d.combo1Index)
        combo1_->setCurrentIndex(*d.combo1Index);
    if (d.highlight)
        browser_->HighlightActiveField();
}

void CapturePanel::StatusTextChange(const QString& text)
{
    const int mode = CaptureMode();
    const bool capturing = mode == int(CaptureMode::LoginCapturePage)
        || mode == int(CaptureMode::PublishCapturePage);
    if (capturing && text != u"完成")
        emit StatusText(text);
}

} // namespace sitecapture
