// The site list window filling its list from DIY.xqd, as at start-up and after every closing
// of the wizard: the rows read, handed to the list's model, and the view laid out.

#include "bench_database.h"

#include "wizard/browser_source.h"
#include "wizard/link_opener.h"
#include "wizard/site_list_model.h"
#include "wizard/site_list_window.h"
#include "wizard/wizard_session.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTreeView>

using namespace sitecapture;

namespace {

void BM_FillSiteList(benchmark::State& state)
{
    BenchDir dir;
    std::optional<SiteDatabase> db = ListingDatabase(state, dir);
    if (!db)
        return;
    Module1 module;
    PluginBrowserSource browsers; // never asked: no capture page is shown
    DesktopLinkOpener links;
    WizardServices services{*db, module, browsers, links};
    Form2 list(services);
    list.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        list.Model().Clear();
        if (!list.FillSiteList()) {
            state.SkipWithError("listing failed");
            return;
        }
        // The view takes the new rows in and paints its first page.
        list.ListView1()->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    if (list.Model().rowCount() != state.range(0))
        state.SkipWithError("not every row listed");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillSiteList)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
