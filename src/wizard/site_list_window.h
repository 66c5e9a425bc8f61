#pragma once
// Form2, the site list window the program starts with: one row per stored site, and the
// buttons that edit, add and delete sites and end the program. While the wizard is open
// the list is disabled; when it closes the list is enabled and rebuilt.

#include "base/operator_error.h"
#include "wizard/wizard_services.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QStatusBar;
class QTreeView;

namespace sitecapture {

class Form1;
class SiteListModel;
class xpcmdbutton;

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(WizardServices& services, QWidget* parent = nullptr);
    ~Form2() override;

    // Start-up once the database is open: the rows, then the buttons' states.
    Status Form_Load();

    // Appends one row per stored site.
    Status FillSiteList();
    // Edit and delete are enabled only while the list has rows.
    void RefreshButtons();

    // The list commands by index: 0 edit, 1 add, 2 delete.
    void Command1Click(int index);
    void LoadSiteForEdit();
    void DeleteSite();

    QTreeView* ListView1() const { return listView_; }
    SiteListModel& Model() const { return *model_; }
    // The wizard while it is open.
    Form1* Wizard() const;

    // What the exit button does; the program by default ends its event loop at once.
    void SetEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

private:
    // Form_Unload of the wizard: the list comes back, rebuilt.
    void WizardUnloaded();
    Form1* OpenWizard();
    std::optional<qint64> SelectedId() const;
    void Report(const Status& status);

    WizardServices& services_;
    SiteListModel* model_;
    QTreeView* listView_;
    std::array<xpcmdbutton*, 3> recordButtons_{}; // edit, add, delete
    xpcmdbutton* exitButton_;                // xpcmdbutton1
    QStatusBar* statusBar_;
    QPointer<Form1> wizard_;
    std::function<void()> endProgram_;
};

} // namespace sitecapture
