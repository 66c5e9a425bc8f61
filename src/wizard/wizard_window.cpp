#include "wizard/wizard_window.h"

#include "catalogue/site_database.h"
#include "wizard/browser_source.h"
#include "wizard/capture_panel.h"
#include "wizard/combo_text.h"
#include "wizard/fill_buttons.h"
#include "wizard/control_geometry.h"
#include "wizard/link_opener.h"
#include "wizard/operator_message.h"
#include "wizard/report_checks.h"
#include "wizard/report_value_label.h"
#include "wizard/stored_buttons.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

template <class W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Label(const char* name, const QString& caption, QWidget* parent)
{
    return Named(new QLabel(caption, parent), name);
}

QLabel* ColouredLabel(const char* name, const QString& caption, const QColor& colour, QWidget* parent)
{
    QLabel* label = Label(name, caption, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

const QString kSiteNameTip = u"输入网站的名称，例如：中国化工网"_s;
const std::array<QString, 3> kAddressTips{
    u"输入信息发布页面的网址"_s,
    u"输入信息查看页面的网址"_s,
    u"如果该网站需要注册，请用IE浏览器到该网站手工注册后，在这里输入登录页的网址"_s,
};

} // namespace

Form1::Form1(WizardServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services),
      sitePage_(Named(new QGroupBox(u"网站信息"_s, this), "Frame1")),
      capturePage_(Named(new QGroupBox(u"用户登录页信息收集"_s, this), "Frame2")),
      reportPage_(Named(new QGroupBox(u"网站收集报告"_s, this), "Frame4")),
      panel_(new CapturePanel(session_, services.module.captureSet, capturePage_)),
      browserHost_(Named(new QWidget(capturePage_), "WebBrowser1")),
      statusBar_(Named(new QStatusBar(this), "StatusBar1")),
      fillButtons_(new FillButtons(*panel_, statusBar_)),
      previousButton_(RestoreButton("command2", this)),
      nextButton_(RestoreButton("command3", this)),
      exitButton_(RestoreButton("command4", this))
{
    setObjectName(u"Form1"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf16(kProductTitle));
    dpi_ = LogicalDpi(*this);
    // The page frames lie on one rectangle: the one in front hides the others.
    for (QGroupBox* frame : {sitePage_, capturePage_, reportPage_})
        frame->setAutoFillBackground(true);

    BuildSitePage();
    BuildCapturePage();
    BuildReportPage();
    statusBar_->setSizeGripEnabled(false);
    statusBar_->addPermanentWidget(fillButtons_);

    connect(nextButton_, &xpcmdbutton::Click, this, &Form1::NextStep);
    connect(previousButton_, &xpcmdbutton::Click, this, &Form1::PreviousStep);
    connect(exitButton_, &xpcmdbutton::Click, this, &Form1::ExitWizard);
    connect(saveButton_, &xpcmdbutton::Click, this, &Form1::SaveSite);
    connect(linkTestButton_, &xpcmdbutton::Click, this, &Form1::OpenLinkTest);
    connect(panel_, &CapturePanel::StatusText, this, &Form1::ShowBrowserStatus);

    // Tab order of the site page, then the step buttons and the link test.
    const std::array<QWidget*, 10> order{siteNameEdit_,   addressEdits_[0], languageBox_,
                                         addressEdits_[1], addressEdits_[2], categoryBox_,
                                         previousButton_, nextButton_,      exitButton_,
                                         linkTestButton_};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    ApplyStaticGeometry();
    resize(TwipsToPixels(kWizardClientWidth, dpi_), TwipsToPixels(kWizardClientHeight, dpi_));
    SetupWizard();
}

Form1::~Form1()
{
    // What still runs in the browser is cancelled while the browser is there; the panels are
    // destroyed after it and must not reach it.
    checks_->Stop();
    checks_->SetBrowser(nullptr);
    panel_->SetBrowser(nullptr);
}

void Form1::BuildSitePage()
{
    listCaptions_[0] = Label("Label3(0)", u"网站语言:"_s, sitePage_);
    languageBox_ = Named(new QComboBox(sitePage_), "Combo2");
    languageBox_->addItems({u"简体中文"_s, u"繁体中文"_s, u"英文"_s});
    listCaptions_[1] = Label("Label3(1)", u"网站类别:"_s, sitePage_);
    categoryBox_ = Named(new QComboBox(sitePage_), "Combo3");
    categoryBox_->addItems({u"综合"_s, u"化工"_s, u"包装"_s,
                            u"金属"_s, u"电子"_s, u"纺织"_s,
                            u"食品"_s, u"机械"_s, u"农业"_s,
                            u"建筑"_s, u"交通"_s, u"医疗"_s,
                            u"其它"_s});
    categoryBox_->setMaxVisibleItems(13);

    nameAndAddressCaptions_[0] = Label("Label1(0)", u"网站名称:"_s, sitePage_);
    siteNameEdit_ = Named(new QLineEdit(sitePage_), "Text5");
    siteNameEdit_->setToolTip(kSiteNameTip);
    nameAndAddressCaptions_[1] = Label("Label1(1)", u"信息发布页面:"_s, sitePage_);
    nameAndAddressCaptions_[2] = Label("Label1(2)", u"信息浏览页面:"_s, sitePage_);
    loginAddressCaption_ = Label("Label2", u"会员登录录页面（会员制网站）:"_s, sitePage_);
    const std::array<const char*, 3> names{"Text6(0)", "Text6(1)", "Text6(2)"};
    for (int i = 0; i < 3; ++i) {
        addressEdits_[i] = Named(new QLineEdit(sitePage_), names[i]);
        addressEdits_[i]->setToolTip(kAddressTips[i]);
        connect(addressEdits_[i], &QLineEdit::textChanged, this, [this, i] { ShowLinkTestButton(i); });
    }
    const QColor red(Qt::red);
    redNotes_[0] = ColouredLabel("Label18", u"说明:填写要收集网站的发布页信息面，如果该网站为会员制网站，请先到该网站注册一个会员，在该网站登录后，再把信息发布页面的网址填写在上面的框中。"_s, red, sitePage_);
    redNotes_[1] = ColouredLabel("Label19", u"说明:填写信息浏览页面的网址，信息发布后浏览信息的页面，用于系统发布信息后，查看信息发布结果。"_s, red, sitePage_);
    redNotes_[2] = ColouredLabel("Label20", u"说明:填写会员登录页面的网址，如果该网站为会员制网站，在此框中填写登录页面的网址。如果该网站不需要登录就可以发布信息，此框不需要填写。（除需要上传图片和需要校验码的网站一般都可以收录）。"_s, red, sitePage_);
    for (QLabel* note : redNotes_) {
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    linkTestButton_ = RestoreButton("Command5", sitePage_);

    // Hints follow the mouse over the boxes and the frame's background; the link test button
    // follows the focus.
    sitePage_->setMouseTracking(true);
    sitePage_->installEventFilter(this);
    for (QWidget* box : {static_cast<QWidget*>(siteNameEdit_), static_cast<QWidget*>(languageBox_)})
        box->installEventFilter(this);
    for (QLineEdit* box : addressEdits_)
        box->installEventFilter(this);
    siteNameEdit_->setMouseTracking(true);
    for (QLineEdit* box : addressEdits_)
        box->setMouseTracking(true);
}

void Form1::BuildCapturePage()
{
    auto* hostLayout = new QVBoxLayout(browserHost_);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    panel_->raise();
}

void Form1::BuildReportPage()
{
    const std::array<const char*, 6> names{"Label8(0)", "Label8(1)", "Label8(2)",
                                           "Label8(3)", "Label8(4)", "Label8(5)"};
    const std::array<QString, 6> captions{
        u"用户登录页连接:(action)"_s, u"信息发布页连接:(action)"_s,
        u"用户登录页发送数据:"_s,     u"信息页发送数据:"_s,
        u"成功后返回代码:"_s,         u"成功后返回代码:"_s,
    };
    for (int i = 0; i < 6; ++i)
        reportCaptions_[i] = ColouredLabel(names[i], captions[i], QColor(Qt::blue), reportPage_);
    auto value = [this](const char* name) { return Named(new ReportValueLabel(reportPage_), name); };
    loginActionLabel_ = value("Label4");
    loginDataLabel_ = value("Label5");
    loginReturnLabel_ = value("Label14");
    publishActionLabel_ = value("Label6");
    publishDataLabel_ = value("Label7");
    publishReturnLabel_ = value("Label15");
    saveButton_ = RestoreButton("Command7", reportPage_);
    checks_ = new ReportChecks(session_, reportPage_);
    connect(checks_, &ReportChecks::Status, this, [this](const QString& text) { statusBar_->showMessage(text); });
}

void Form1::ApplyStaticGeometry()
{
    const double d = dpi_;
    Place(listCaptions_[0], {315, 390, 810, 180}, d);
    Place(languageBox_, {315, 690, 1530, 300}, d);
    Place(listCaptions_[1], {300, 1125, 810, 180}, d);
    Place(categoryBox_, {315, 1410, 1530, 300}, d);
    Place(nameAndAddressCaptions_[0], {300, 2520, 1050, 165}, d);
    Place(siteNameEdit_, {315, 2790, 9690, 360}, d);
    Place(nameAndAddressCaptions_[1], {300, 3270, 1305, 165}, d);
    Place(addressEdits_[0], {315, 3510, 9705, 360}, d);
    Place(redNotes_[0], {330, 3975, 9660, 435}, d);
    Place(nameAndAddressCaptions_[2], {300, 4500, 1350, 195}, d);
    Place(addressEdits_[1], {315, 4785, 9705, 360}, d);
    Place(linkTestButton_, {10125, 4785, 1035, 360}, d);
    Place(redNotes_[1], {315, 5310, 9660, 390}, d);
    Place(loginAddressCaption_, {315, 5835, 2955, 195}, d);
    Place(addressEdits_[2], {315, 6075, 9735, 360}, d);
    Place(redNotes_[2], {285, 6555, 9750, 585}, d);

    panel_->ApplyGeometry(d);

    Place(reportCaptions_[0], {630, 885, 2070, 180}, d);
    Place(loginActionLabel_, {630, 1365, 9600, 180}, d);
    Place(reportCaptions_[2], {630, 1815, 1710, 180}, d);
    Place(loginDataLabel_, {630, 2085, 9600, 915}, d);
    Place(reportCaptions_[4], {630, 3225, 1350, 180}, d);
    Place(loginReturnLabel_, {630, 3525, 9600, 180}, d);
    Place(reportCaptions_[1], {630, 4635, 2070, 180}, d);
    Place(publishActionLabel_, {630, 5085, 9600, 195}, d);
    Place(reportCaptions_[3], {630, 5490, 1350, 180}, d);
    Place(publishDataLabel_, {630, 5805, 9600, 840}, d);
    Place(reportCaptions_[5], {690, 6405, 1350, 180}, d);
    Place(publishReturnLabel_, {720, 6735, 9600, 180}, d);
    // The checks take the free row above the report's first caption.
    checks_->setGeometry(ToPixels({630, 330, 9600, 400}, d));
    checks_->ApplyGeometry(d);
    ApplyLayout();
}

void Form1::LoadSiteRecord(const SiteRecord& site)
{
    if (const std::optional<QString> language = LanguageTable::NameForCode(site.gbe))
        SetComboText(languageBox_, *language);
    SetComboText(categoryBox_, site.engname);
    siteNameEdit_->setText(site.Name);
    addressEdits_[0]->setText(site.xxfburl);
    addressEdits_[1]->setText(site.asp);
    addressEdits_[2]->setText(site.yhdlurl);
}

void Form1::SetupWizard()
{
    languageBox_->setCurrentIndex(0); // 简体中文
    categoryBox_->setCurrentIndex(0); // 综合
    // Combo1's entries are the panel's own; the three page frames share Frame1's rectangle.
    geometry_.Frame2 = geometry_.Frame1;
    geometry_.Frame4 = geometry_.Frame1;
    capturePage_->setGeometry(ToPixels(geometry_.Frame2, dpi_));
    reportPage_->setGeometry(ToPixels(geometry_.Frame4, dpi_));
    BringToFront(FrontFrame(session_.captureMode));
    session_.fieldMap.ResetFieldMap();
}

void Form1::BringToFront(PageFrame frame)
{
    switch (frame) {
    case PageFrame::Frame1: sitePage_->raise(); break;
    case PageFrame::Frame2: capturePage_->raise(); break;
    case PageFrame::Frame4: reportPage_->raise(); break;
    }
}

void Form1::ApplyLayout()
{
    // The rule reads the outer size. Without a window manager there is no frame around the
    // window; a sizable border is assumed then, so the layout looks as it does on a desktop.
    const QRect outer = frameGeometry();
    const int border = outer == geometry() ? 2 * kNominalBorderTwips : 0;
    LayoutWizard(geometry_, PixelsToTwips(outer.width(), dpi_) + border,
                 PixelsToTwips(outer.height(), dpi_) + border);
    const double d = dpi_;
    sitePage_->setGeometry(ToPixels(geometry_.Frame1, d));
    capturePage_->setGeometry(ToPixels(geometry_.Frame2, d));
    reportPage_->setGeometry(ToPixels(geometry_.Frame4, d));
    browserHost_->setGeometry(ToPixels(geometry_.WebBrowser1, d));
    panel_->setGeometry(ToPixels(geometry_.Frame5, d));
    previousButton_->setGeometry(ToPixels(geometry_.command2, d));
    nextButton_->setGeometry(ToPixels(geometry_.command3, d));
    exitButton_->setGeometry(ToPixels(geometry_.command4, d));
    saveButton_->setGeometry(ToPixels(geometry_.Command7, d));
    // The status bar is docked to the bottom edge.
    const int barHeight = TwipsToPixels(kWizardStatusBarHeight, d);
    statusBar_->setGeometry(0, height() - barHeight, width(), barHeight);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!property("centred").toBool()) {
        setProperty("centred", true);
        if (QScreen* screen = this->screen()) {
            QRect r = frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            move(r.topLeft());
        }
        activateWindow();
        siteNameEdit_->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        emit Unloaded();
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == siteNameEdit_ || std::find(addressEdits_.begin(), addressEdits_.end(), watched) != addressEdits_.end())
            ShowControlHint(static_cast<QWidget*>(watched));
        else if (watched == sitePage_ && !sitePage_->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            ClearHint();
    } else if (event->type() == QEvent::FocusIn) {
        if (watched == siteNameEdit_ || watched == languageBox_)
            HideLinkTestButton();
        for (int i = 0; i < 3; ++i) {
            if (watched == addressEdits_[i])
                ShowLinkTestButton(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

WizardPageState Form1::ReadPageState() const
{
    WizardPageState s;
    s.siteName = siteNameEdit_->text();
    s.publishPageUrl = addressEdits_[0]->text();
    s.viewPageUrl = addressEdits_[1]->text();
    s.loginPageUrl = addressEdits_[2]->text();
    s.captureMode = session_.captureMode;
    s.captureSet = services_.module.captureSet;
    s.publishReturn = services_.module.publishReturn;
    s.shownAction = panel_->Text1()->text();
    s.shownData = panel_->Text4()->toPlainText();
    s.successText = panel_->Text7()->text();
    s.capturePageCaption = capturePage_->title();
    s.capturePanelCaption = panel_->title();
    s.previousEnabled = previousButton_->Enabled();
    s.linkTestVisible = !linkTestButton_->isHidden();
    s.statusText = statusBar_->currentMessage();
    s.report = ReportShown();
    return s;
}

ReportTexts Form1::ReportShown() const
{
    return {loginActionLabel_->text(),   loginDataLabel_->text(),
            publishActionLabel_->text(), publishDataLabel_->text(),
            loginReturnLabel_->text(),   publishReturnLabel_->text()};
}

void Form1::ApplyPageState(const WizardPageState& s)
{
    services_.module.captureSet = s.captureSet;
    services_.module.publishReturn = s.publishReturn;
    auto setText = [](QLineEdit* box, const QString& text) {
        if (box->text() != text)
            box->setText(text);
    };
    setText(panel_->Text1(), s.shownAction);
    panel_->Text1()->setCursorPosition(0);
    if (panel_->Text4()->toPlainText() != s.shownData)
        panel_->Text4()->setPlainText(s.shownData);
    setText(panel_->Text7(), s.successText);
    capturePage_->setTitle(s.capturePageCaption);
    panel_->setTitle(s.capturePanelCaption);
    BringToFront(FrontFrame(s.captureMode));
    previousButton_->SetEnabled(s.previousEnabled);
    linkTestButton_->setVisible(s.linkTestVisible);
    if (statusBar_->currentMessage() != s.statusText)
        statusBar_->showMessage(s.statusText);
    loginActionLabel_->setText(s.report.loginAction);
    loginDataLabel_->setText(s.report.loginData);
    publishActionLabel_->setText(s.report.publishAction);
    publishDataLabel_->setText(s.report.publishData);
    loginReturnLabel_->setText(s.report.loginReturn);
    publishReturnLabel_->setText(s.report.publishReturn);
    for (QLabel* label : {static_cast<QLabel*>(loginActionLabel_), static_cast<QLabel*>(loginDataLabel_),
                          static_cast<QLabel*>(publishActionLabel_), static_cast<QLabel*>(publishDataLabel_),
                          static_cast<QLabel*>(loginReturnLabel_), static_cast<QLabel*>(publishReturnLabel_)})
        // Captured data is the site's text: shown literally, never as markup.
        label->setToolTip(label->text().isEmpty() ? QString()
                                                  : u"<qt>"_s + label->text().toHtmlEscaped() + u"</qt>"_s);
    SetCaptureMode(s.captureMode);
}

void Form1::SetCaptureMode(CaptureMode mode)
{
    session_.captureMode = mode;
    fillButtons_->ShowForPage(mode);
    if (browser_)
        browser_->SetTag(TagFromCaptureMode(mode));
}

void Form1::Navigate(const QString& address)
{
    if (!browser_) {
        Result<std::unique_ptr<BrowserControl>> created = services_.browsers.CreateBrowser(*panel_);
        if (!created) {
            ShowOperatorMessage(this, created.error().message);
            return;
        }
        browser_ = std::move(created).value();
        browser_->SetTag(TagFromCaptureMode(session_.captureMode));
        panel_->SetBrowser(browser_.get());
        checks_->SetBrowser(browser_.get());
        browserHost_->layout()->addWidget(browser_->Widget());
    }
    browser_->Navigate(address);
}

void Form1::RunStep(void (*step)(WizardPageState&))
{
    WizardPageState s = ReadPageState();
    const CaptureMode before = s.captureMode;
    step(s);
    ApplyPageState(s);
    if (before != CaptureMode::ReportPage && s.captureMode == CaptureMode::ReportPage)
        RunChecks();
    else if (before == CaptureMode::ReportPage && s.captureMode != CaptureMode::ReportPage)
        checks_->Stop();
    if (s.message)
        ShowOperatorMessage(this, *s.message);
    if (s.resetFieldMap) {
        // Onward to the publish page the login's mapping is kept for the report's checks.
        if (s.captureMode == CaptureMode::PublishCapturePage)
            session_.loginFieldMap = session_.fieldMap;
        session_.fieldMap.ResetFieldMap();
    }
    if (s.navigate)
        Navigate(*s.navigate);
}

void Form1::RunChecks()
{
    const CaptureSet& c = services_.module.captureSet;
    auto fields = [](const std::optional<CapturedSubmission>& s) {
        return s ? s->fields : std::vector<CheckedField>{};
    };
    CheckInput in;
    in.login = {c.loginAction, c.loginData, c.loginReturn, fields(session_.loginSubmission)};
    in.publish = {c.publishAction, c.publishData, services_.module.publishReturn, fields(session_.publishSubmission)};
    in.mapped = MappedFields(session_.loginFieldMap, session_.fieldMap);
    in.asp = addressEdits_[1]->text();
    in.xxfburl = addressEdits_[0]->text();
    // The duplicate check reads the stored sites; a database it cannot read leaves it out.
    if (Result<std::vector<SiteListRow>> rows = services_.database.ListSiteRows()) {
        in.stored.reserve(rows.value().size());
        for (SiteListRow& r : rows.value())
            in.stored.push_back({r.Id, std::move(r.Name), std::move(r.asp), std::move(r.xxfburl)});
    }
    in.editingId = session_.editingId.value_or(0);
    checks_->Run(std::move(in));
}

void Form1::NextStep()
{
    RunStep(&sitecapture::NextStep);
}

void Form1::PreviousStep()
{
    RunStep(&sitecapture::PreviousStep);
}

void Form1::ExitWizard()
{
    close();
}

void Form1::SaveSite()
{
    SiteTexts texts;
    static_cast<ReportTexts&>(texts) = ReportShown();
    texts.language = languageBox_->currentText();
    texts.category = categoryBox_->currentText();
    texts.name = siteNameEdit_->text();
    texts.publishPageUrl = addressEdits_[0]->text();
    texts.viewPageUrl = addressEdits_[1]->text();
    texts.loginPageUrl = addressEdits_[2]->text();
    const Result<qint64> saved = sitecapture::SaveSite(services_.database, session_.editingId.value_or(0), texts);
    if (!saved) {
        // The wizard stays open with everything in it, so the save can be tried again.
        ShowOperatorMessage(this, saved.error().message);
        return;
    }
    close();
}

void Form1::ShowControlHint(QWidget* box)
{
    statusBar_->showMessage(box->toolTip());
}

void Form1::ClearHint()
{
    statusBar_->clearMessage();
}

void Form1::ShowLinkTestButton(int i)
{
    const QString text = addressEdits_[i]->text();
    if (text.isEmpty()) {
        linkTestButton_->hide();
        return;
    }
    linkTestButton_->move(linkTestButton_->x(), addressEdits_[i]->y());
    session_.linkTestAddress = text;
    linkTestButton_->show();
}

void Form1::HideLinkTestButton()
{
    linkTestButton_->hide();
}

void Form1::OpenLinkTest()
{
    if (!session_.linkTestAddress.isEmpty()) {
        // Only web addresses leave the program; anything else opens nothing, silently.
        if (const std::optional<QUrl> url = LinkTestUrl(session_.linkTestAddress))
            services_.links.Open(*url);
    }
    linkTestButton_->show();
}

void Form1::ShowBrowserStatus(const QString& text)
{
    statusBar_->showMessage(text);
}

} // namespace sitecapture
