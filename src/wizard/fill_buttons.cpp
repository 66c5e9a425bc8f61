#include "wizard/fill_buttons.h"

#include "capture/capture_checks.h"
#include "capture/capture_model.h"
#include "wizard/capture_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

QToolButton* Button(QAction* action, const char* name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1StringView(name));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FillButtons::FillButtons(CapturePanel& panel, QWidget* parent)
    : QWidget(parent), fill_(new QAction(this)), adopt_(new QAction(this)),
      fillButton_(Button(fill_, "FillTestOffer", this)), adoptButton_(Button(adopt_, "AdoptSuggestion", this))
{
    setObjectName(u"FillButtons"_s);
    // Keys the page does not take for itself, so they work while the operator is in a field.
    fill_->setShortcut(QKeySequence(Qt::Key_F8));
    adopt_->setShortcut(QKeySequence(Qt::Key_F9));
    for (QAction* a : {fill_, adopt_})
        a->setShortcutContext(Qt::WindowShortcut);
    fill_->setText(u"一键填写测试信息 (F8)"_s);
    fill_->setToolTip(u"给本页表单中能认出的字段都填上测试内容并选好标签；验证码和下拉框留给您"_s);
    panel.SetAdoptKey(adopt_->shortcut().toString(QKeySequence::NativeText));
    ShowSuggestion({});

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(adoptButton_);
    row->addWidget(fillButton_);

    connect(fill_, &QAction::triggered, &panel, &CapturePanel::FillTestOffer);
    connect(adopt_, &QAction::triggered, &panel, &CapturePanel::AdoptSuggestion);
    connect(&panel, &CapturePanel::SuggestionChanged, this, &FillButtons::ShowSuggestion);
    ShowForPage(CaptureMode::SiteInfoPage);
}

void FillButtons::ShowForPage(CaptureMode captureMode)
{
    const bool publish = captureMode == CaptureMode::PublishCapturePage;
    const bool capture = CapturedForm(captureMode).has_value();
    fillButton_->setVisible(publish);
    fill_->setEnabled(publish);
    adoptButton_->setVisible(capture);
    setVisible(capture);
}

void FillButtons::ShowSuggestion(const QString& label)
{
    adopt_->setEnabled(!label.isEmpty());
    adopt_->setText(label.isEmpty() ? u"采用建议 (F9)"_s : u"采用“%1” (F9)"_s.arg(label));
}

} // namespace sitecapture
