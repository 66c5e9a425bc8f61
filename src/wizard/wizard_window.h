#pragma once
// Form1, the wizard window: the site page, the login and publish capture pages around the
// embedded browser, and the report page, stacked on one rectangle; the three step buttons
// under them. A new window per opening; it deletes itself when it closes.

#include "capture/browser_control.h"
#include "catalogue/site_record.h"
#include "wizard/wizard_layout.h"
#include "wizard/wizard_services.h"
#include "wizard/wizard_session.h"
#include "wizard/wizard_steps.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QStatusBar;

namespace sitecapture {

class CapturePanel;
class FillButtons;
class ReportChecks;
class ReportValueLabel;
class xpcmdbutton;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(WizardServices& services, QWidget* parent = nullptr);
    ~Form1() override;

    // EditingId: the row a save updates; a window opens for a new site.
    void SetEditingId(qint64 id) { session_.editingId = id; }
    const WizardSession& Session() const { return session_; }

    // An edit: the site page shows the stored site, each box set as typing would set it. A
    // language code of none of the three languages leaves the language as it is.
    void LoadSiteRecord(const SiteRecord& site);

    // The site page's boxes.
    QComboBox* Combo2() const { return languageBox_; }
    QComboBox* Combo3() const { return categoryBox_; }
    QLineEdit* Text5() const { return siteNameEdit_; }
    QLineEdit* Text6(int i) const { return addressEdits_.at(i); }
    CapturePanel& Panel() const { return *panel_; }
    // The browser once a capture page has asked for it.
    BrowserControl* Browser() const { return browser_.get(); }
    // The report page's checks and replay.
    ReportChecks& Checks() const { return *checks_; }

    // The steps (command3, command2, command4) and the save (Command7).
    void NextStep();
    void PreviousStep();
    void ExitWizard();
    void SaveSite();

    // Site page hints and the link test.
    void ShowControlHint(QWidget* box);
    void ClearHint();
    void ShowLinkTestButton(int i);
    void HideLinkTestButton();
    void OpenLinkTest();
    void ShowBrowserStatus(const QString& text);

signals:
    // Form_Unload: the window is going, whichever way it was closed. Raised once.
    void Unloaded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildSitePage();
    void BuildCapturePage();
    void BuildReportPage();
    void SetupWizard();
    void ApplyStaticGeometry();
    void ApplyLayout();
    WizardPageState ReadPageState() const;
    ReportTexts ReportShown() const;
    void ApplyPageState(const WizardPageState& s);
    void SetCaptureMode(CaptureMode mode);
    void BringToFront(PageFrame frame);
    void Navigate(const QString& address);
    void RunStep(void (*step)(WizardPageState&));
    void RunChecks();

    WizardServices& services_;
    WizardSession session_;
    WizardGeometry geometry_;
    double dpi_ = 96.0;
    bool unloaded_ = false;

    QGroupBox* sitePage_;    // Frame1
    QGroupBox* capturePage_; // Frame2
    QGroupBox* reportPage_;  // Frame4
    CapturePanel* panel_;
    QWidget* browserHost_; // WebBrowser1's place in Frame2
    QStatusBar* statusBar_;
    FillButtons* fillButtons_; // at the right end of the status bar

    // Site page
    std::array<QLabel*, 3> nameAndAddressCaptions_{}; // Label1: site name, publish, view page
    QLabel* loginAddressCaption_ = nullptr;            // Label2
    std::array<QLabel*, 2> listCaptions_{};            // Label3: language, category
    std::array<QLabel*, 3> redNotes_{}; // Label18, Label19, Label20
    QComboBox* languageBox_ = nullptr;  // Combo2
    QComboBox* categoryBox_ = nullptr;  // Combo3
    QLineEdit* siteNameEdit_ = nullptr; // Text5
    std::array<QLineEdit*, 3> addressEdits_{}; // Text6: publish, view, login page
    xpcmdbutton* linkTestButton_ = nullptr;    // Command5

    // Report page
    std::array<QLabel*, 6> reportCaptions_{}; // Label8
    ReportValueLabel* loginActionLabel_ = nullptr;   // Label4
    ReportValueLabel* loginDataLabel_ = nullptr;     // Label5
    ReportValueLabel* publishActionLabel_ = nullptr; // Label6
    ReportValueLabel* publishDataLabel_ = nullptr;   // Label7
    ReportValueLabel* loginReturnLabel_ = nullptr;   // Label14
    ReportValueLabel* publishReturnLabel_ = nullptr; // Label15
    xpcmdbutton* saveButton_ = nullptr;              // Command7
    ReportChecks* checks_ = nullptr;

    xpcmdbutton* previousButton_; // command2
    xpcmdbutton* nextButton_;     // command3
    xpcmdbutton* exitButton_;     // command4

    // Declared last, so destroyed first: its view sits in this window.
    std::unique_ptr<BrowserControl> browser_;
};

} // namespace sitecapture
