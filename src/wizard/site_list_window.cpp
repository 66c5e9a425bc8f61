#include "wizard/site_list_window.h"

#include "catalogue/site_database.h"
#include "wizard/control_geometry.h"
#include "wizard/operator_message.h"
#include "wizard/site_list_model.h"
#include "wizard/stored_buttons.h"
#include "wizard/wizard_window.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

constexpr int kClientWidth = 9810;
constexpr int kClientHeight = 5865;

} // namespace

Form2::Form2(WizardServices& services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services), model_(new SiteListModel(this)), listView_(new QTreeView(this)),
      exitButton_(RestoreButton("xpcmdbutton1", this)), statusBar_(new QStatusBar(this)),
      endProgram_([] { QCoreApplication::exit(0); })
{
    setObjectName(u"Form2"_s);
    setWindowTitle(QString::fromUtf16(kProductTitle));
    const double dpi = LogicalDpi(*this);

    listView_->setObjectName(u"ListView1"_s);
    QFont listFont(u"宋体"_s, 9);
    listFont.setFamilies({u"宋体"_s, u"SimSun"_s, u"Noto Sans CJK SC"_s});
    listView_->setFont(listFont);
    listView_->setModel(model_);
    listView_->setRootIsDecorated(false);
    listView_->setItemsExpandable(false);
    listView_->setUniformRowHeights(true); // a hundred thousand rows stay quick
    listView_->setAllColumnsShowFocus(true);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->header()->setStretchLastSection(false);
    listView_->header()->setSectionsMovable(false);
    listView_->setColumnWidth(SiteListModel::Industry, TwipsToPixels(1200, dpi));
    listView_->setColumnWidth(SiteListModel::SiteName, TwipsToPixels(2900, dpi));
    listView_->setColumnWidth(SiteListModel::Address, TwipsToPixels(3950, dpi));
    listView_->setColumnHidden(SiteListModel::Key, true);
    listView_->setGeometry(ToPixels({165, 90, 8115, 5265}, dpi));
    connect(listView_, &QTreeView::doubleClicked, this, [this] { Command1Click(0); });

    const std::array<const char*, 3> names{"command1(0)", "command1(1)", "command1(2)"};
    for (int i = 0; i < 3; ++i) {
        recordButtons_[i] = RestoreButton(names[i], this);
        recordButtons_[i]->setGeometry(ToPixels({8520, 120 + 480 * i, 1095, 405}, dpi));
        connect(recordButtons_[i], &xpcmdbutton::Click, this, [this, i] { Command1Click(i); });
        connect(recordButtons_[i], &xpcmdbutton::MouseMove, this,
                [this](qint16&, qint16&, float&, float&) { RefreshButtons(); });
    }
    exitButton_->setGeometry(ToPixels({8580, 4920, 1095, 405}, dpi));
    connect(exitButton_, &xpcmdbutton::Click, this, [this] { endProgram_(); });

    statusBar_->setObjectName(u"StatusBar1"_s);
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(ToPixels({0, 5520, kClientWidth, 345}, dpi));

    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    if (QScreen* screen = this->screen()) {
        QRect r(QPoint(), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

Form2::~Form2()
{
    // The wizard is a window of its own; it does not outlive the list.
    delete wizard_.data();
}

Form1* Form2::Wizard() const
{
    return wizard_.data();
}

Status Form2::Form_Load()
{
    Status filled = FillSiteList();
    RefreshButtons();
    return filled;
}

Status Form2::FillSiteList()
{
    Result<std::vector<SiteListRow>> rows = services_.database.ListSiteRows();
    if (!rows)
        return rows.error();
    model_->Append(std::move(rows).value());
    return std::monostate{};
}

void Form2::RefreshButtons()
{
    const bool any = model_->rowCount() > 0;
    recordButtons_[2]->SetEnabled(any);
    recordButtons_[0]->SetEnabled(any);
}

void Form2::Command1Click(int index)
{
    services_.module.ClearCaptures();
    switch (index) {
    case 0: LoadSiteForEdit(); break;
    case 1:
        OpenWizard();
        setEnabled(false);
        break;
    case 2: DeleteSite(); break;
    default: break;
    }
}

std::optional<qint64> Form2::SelectedId() const
{
    const QModelIndexList rows = listView_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return model_->IdAt(rows.first().row());
}

void Form2::Report(const Status& status)
{
    if (!status)
        ShowOperatorMessage(this, status.error().message);
}

void Form2::LoadSiteForEdit()
{
    // No row selected, or a row that is gone: nothing happens, as before.
    const std::optional<qint64> id = SelectedId();
    if (!id)
        return;
    Result<std::optional<SiteRecord>> loaded = services_.database.LoadSite(*id);
    if (!loaded) {
        ShowOperatorMessage(this, loaded.error().message);
        return;
    }
    if (!loaded.value())
        return;
    const SiteRecord& site = *loaded.value();
    Form1* wizard = OpenWizard();
    wizard->SetEditingId(site.Id);
    wizard->LoadSiteRecord(site);
    setEnabled(false);
}

void Form2::DeleteSite()
{
    const std::optional<qint64> id = SelectedId();
    if (!id)
        return;
    const Result<bool> deleted = services_.database.DeleteSite(*id);
    if (!deleted) {
        ShowOperatorMessage(this, deleted.error().message);
        return;
    }
    model_->Clear();
    Report(FillSiteList());
}

Form1* Form2::OpenWizard()
{
    auto* wizard = new Form1(services_);
    connect(wizard, &Form1::Unloaded, this, &Form2::WizardUnloaded);
    wizard_ = wizard;
    wizard->show();
    return wizard;
}

void Form2::WizardUnloaded()
{
    setEnabled(true);
    activateWindow();
    model_->Clear();
    Report(FillSiteList());
}

} // namespace sitecapture
