// The site list window filling its list from DIY.xqd as it opens: the rows read, handed to
// the list's model, and the first page of the view painted.

#include "bench_database.h"

#include "wizard/browser_source.h"
#include "wizard/link_opener.h"
#include "wizard/site_list_model.h"
#include "wizard/site_list_window.h"
#include "wizard/wizard_session.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTreeView>

#include <memory>

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
    // The window opening: a new list window filled and its first page painted.
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<Form2>(services);
        list->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (!list->Form_Load()) {
            state.SkipWithError("listing failed");
            return;
        }
        list->ListView1()->viewport()->repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        const bool all = list->Model().rowCount() == state.range(0);
        list.reset();
        state.ResumeTiming();
        if (!all) {
            state.SkipWithError("not every row listed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillSiteList)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
