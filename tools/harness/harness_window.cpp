#include "tools/harness/harness_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace sitecapture {

HarnessWindow::HarnessWindow(BrowserFactory& browsers, QWidget* parent)
    : QWidget(parent), address_(new QLineEdit(this)), mode_(new QComboBox(this)),
      panel_(new CapturePanel(session_, module_.captureSet, this)), status_(new QStatusBar(this))
{
    setWindowTitle(QStringLiteral(u"网站收录向导 - 捕捉测试"));
    browser_ = browsers.CreateBrowser(relay_);
    panel_->SetBrowser(browser_.get());

    address_->setObjectName(QStringLiteral("Address"));
    address_->setPlaceholderText(QStringLiteral(u"网址"));
    auto* open = new QPushButton(QStringLiteral(u"打开"), this);
    mode_->addItem(QStringLiteral(u"不捕捉 (0)"), int(CaptureMode::SiteInfoPage));
    mode_->addItem(QStringLiteral(u"登录页 (1)"), int(CaptureMode::LoginCapturePage));
    mode_->addItem(QStringLiteral(u"发布页 (2)"), int(CaptureMode::PublishCapturePage));
    auto* reset = new QPushButton(QStringLiteral(u"清空字段表"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(address_, 1);
    top->addWidget(open);
    top->addWidget(new QLabel(QStringLiteral(u"捕捉:"), this));
    top->addWidget(mode_);
    top->addWidget(reset);

    auto* split = new QSplitter(this);
    split->addWidget(browser_->Widget());
    split->addWidget(panel_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);
    panel_->setMinimumWidth(340);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(status_);

    connect(open, &QPushButton::clicked, this, [this] { browser_->Navigate(address_->text()); });
    connect(address_, &QLineEdit::returnPressed, this,
            [this] { browser_->Navigate(address_->text()); });
    connect(mode_, &QComboBox::currentIndexChanged, this,
            [this] { SetCaptureMode(CaptureMode(mode_->currentData().toInt())); });
    connect(reset, &QPushButton::clicked, this, [this] { session_.fieldMap.ResetFieldMap(); });
    connect(panel_, &CapturePanel::StatusText, this,
            [this](const QString& text) { status_->showMessage(text); });

    SetCaptureMode(CaptureMode::PublishCapturePage);
    resize(1200, 760);
}

HarnessWindow::~HarnessWindow() = default;

void HarnessWindow::Relay::BeforeNavigate2(const QString& url, const QByteArray& postData)
{
    window_.panel_->BeforeNavigate2(url, postData);
    emit window_.Navigating(url, postData);
}

void HarnessWindow::Relay::CommandStateChange()
{
    window_.panel_->CommandStateChange();
    emit window_.FieldHandled();
}

void HarnessWindow::Relay::StatusTextChange(const QString& text)
{
    window_.panel_->StatusTextChange(text);
    emit window_.BrowserStatus(text);
}

void HarnessWindow::SetCaptureMode(CaptureMode page)
{
    mode_->setCurrentIndex(mode_->findData(int(page)));
    session_.captureMode = page;
    browser_->SetTag(TagFromNumber(int(page)));
}

void HarnessWindow::Open(const QString& address)
{
    address_->setText(address);
    browser_->Navigate(address);
}

} // namespace sitecapture
