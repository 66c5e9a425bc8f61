// Speed of the site database: listing every row, and saving one row per transaction.

#include "bench_database.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <optional>

using namespace sitecapture;

namespace {

// A post-data template of the usual shape, 300 characters.
QString PostTemplate(qint64 row)
{
    QString s = u"action=save&classid=%1&title=/ztitle/&keywords=/zkey/&price=/zprice/&unit=件"
                "&content=/zcontent/&linkman=/zconne/&tel=/ztel/&mobile=/zmobile/&email=/zemail/"
                "&company=/zcompany/&address=/zaddress/&submit=%CC%E1%BD%BB"_qs.arg(row % 97);
    for (int i = 0; s.size() < 300; ++i)
        s += u"&f%1=x"_qs.arg(i);
    s.truncate(300);
    return s;
}

} // namespace

SiteRecord sitecapture::RealisticSite(qint64 row)
{
    static const QString categories[] = {u"综合"_qs, u"化工"_qs, u"机械"_qs, u"纺织"_qs, u"电子"_qs};
    const QString host = u"www.site%1.com"_qs.arg(row);
    SiteRecord r;
    r.engname = categories[row % 5];
    r.Name = u"商务网%1"_qs.arg(row);
    r.xxfburl = "http://" + host + "/member/post.asp";
    r.asp = host + "/list.asp";
    r.yhdlurl = "http://" + host + "/login.asp";
    r.gbe = "g";
    r.Action = host + "/member/save.asp";
    r.Memo = PostTemplate(row);
    r.checkvar = u"发布成功"_qs;
    r.loginhttp = "http://" + host + "/chklogin.asp";
    r.login = PostTemplate(row + 1);
    r.loginreturn = u"登录成功"_qs;
    return r;
}

namespace {

std::vector<FieldWrite> Writes(const SiteRecord& r)
{
    std::vector<FieldWrite> w;
    for (SiteField f : kSiteFields)
        w.push_back({f, r.Field(f)});
    return w;
}

void CountListed(benchmark::State& state, const std::vector<SiteRecord>& rows)
{
    std::size_t chars = 0;
    for (const SiteRecord& r : rows)
        for (SiteField f : kSiteFields)
            chars += std::size_t(r.Field(f).size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["chars_per_row"] = double(chars) / double(state.range(0));
}

// The list's rebuild: every row read again into the records the list keeps, as after each
// closing of the wizard. The first listing, into new records, is made before timing.
void BM_ListSites(benchmark::State& state)
{
    BenchDir dir;
    std::optional<SiteDatabase> db = ListingDatabase(state, dir);
    if (!db)
        return;
    std::vector<SiteRecord> rows;
    if (!db->ListSitesInto(rows) || qint64(rows.size()) != state.range(0)) {
        state.SkipWithError("listing failed");
        return;
    }
    for (auto _ : state) {
        if (!db->ListSitesInto(rows)) {
            state.SkipWithError("listing failed");
            return;
        }
        benchmark::DoNotOptimize(rows.data());
    }
    CountListed(state, rows);
}
BENCHMARK(BM_ListSites)->Arg(100000)->Unit(benchmark::kMillisecond);

// The first listing: every row into new records, the whole table allocated afresh.
void BM_ListSitesFresh(benchmark::State& state)
{
    BenchDir dir;
    std::optional<SiteDatabase> db = ListingDatabase(state, dir);
    if (!db)
        return;
    std::vector<SiteRecord> kept;
    for (auto _ : state) {
        Result<std::vector<SiteRecord>> rows = db->ListSites();
        if (!rows || qint64(rows.value().size()) != state.range(0)) {
            state.SkipWithError("listing failed");
            return;
        }
        benchmark::DoNotOptimize(rows.value().data());
        state.PauseTiming();
        kept = std::move(rows.value()); // freed outside the timing
        kept.clear();
        state.ResumeTiming();
    }
    CountListed(state, db->ListSites().value());
}
BENCHMARK(BM_ListSitesFresh)->Arg(100000)->Unit(benchmark::kMillisecond);

// One row per transaction, as the wizard saves: the figure is rows per second.
void BM_AddSite(benchmark::State& state)
{
    QTemporaryDir dir;
    QFile::copy(SITECAPTURE_TEMPLATE_PATH, dir.filePath("sdk.dll"));
    Result<SiteDatabase> db = OpenSiteDatabase(dir.path());
    if (!db) {
        state.SkipWithError(db.error().message.toStdString().c_str());
        return;
    }
    const std::vector<FieldWrite> row = Writes(RealisticSite(1));
    for (auto _ : state) {
        Result<qint64> id = db.value().AddSite(row);
        if (!id) {
            state.SkipWithError(id.error().message.toStdString().c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddSite)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
