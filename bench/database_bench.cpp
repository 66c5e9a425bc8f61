// Speed of the site database: listing every row, and saving one row per transaction.

#include "catalogue/site_database.h"

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

SiteRecord RealisticSite(qint64 row)
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

std::vector<FieldWrite> Writes(const SiteRecord& r)
{
    std::vector<FieldWrite> w;
    for (SiteField f : kSiteFields)
        w.push_back({f, r.Field(f)});
    return w;
}

// An application directory with the template; SITECAPTURE_BENCH_DB_DIR names a kept one, so
// that the side-by-side script can run the sqlite3 shell on the same file.
class BenchDir {
public:
    BenchDir()
    {
        if (const char* kept = std::getenv("SITECAPTURE_BENCH_DB_DIR"))
            path_ = QString::fromLocal8Bit(kept);
        else
            path_ = temp_.emplace().path();
        QFile::copy(SITECAPTURE_TEMPLATE_PATH, QDir(path_).filePath("sdk.dll"));
    }
    const QString& Path() const { return path_; }

private:
    std::optional<QTemporaryDir> temp_;
    QString path_;
};

// DIY.xqd with exactly `rows` realistic sites, filled in one transaction.
bool FillDatabase(const QString& dir, qint64 rows, std::string* error)
{
    {
        Result<SiteDatabase> db = OpenSiteDatabase(dir);
        if (!db) {
            *error = db.error().message.toStdString();
            return false;
        }
    }
    sqlite3* raw = nullptr;
    const QByteArray path = QFile::encodeName(QDir(dir).filePath("DIY.xqd"));
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(nullptr, &sqlite3_close);
    if (sqlite3_open(path.constData(), &raw) != SQLITE_OK) {
        *error = "cannot open " + path.toStdString();
        return false;
    }
    db.reset(raw);
    // a kept directory already filled by an earlier run is used as it is
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(raw, "select count(*), max(Name) = ? from main", -1, &count, nullptr);
    const QByteArray lastName = RealisticSite(rows - 1).Name.toUtf8();
    sqlite3_bind_text(count, 1, lastName.constData(), int(lastName.size()), SQLITE_TRANSIENT);
    const bool filled = sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int64(count, 0) == rows
        && sqlite3_column_int(count, 1) == 1;
    sqlite3_finalize(count);
    if (filled)
        return true;
    sqlite3_exec(raw, "BEGIN; DELETE FROM main", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw,
                       "insert into main (engname, Name, xxfburl, asp, yhdlurl, gbe, Action, Memo, checkvar, "
                       "loginhttp, login, loginreturn) values (?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &st, nullptr);
    for (qint64 i = 0; i < rows; ++i) {
        const SiteRecord r = RealisticSite(i);
        int index = 0;
        for (SiteField f : kSiteFields) {
            const QByteArray utf8 = r.Field(f).toUtf8();
            sqlite3_bind_text(st, ++index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(st) != SQLITE_DONE) {
            *error = sqlite3_errmsg(raw);
            sqlite3_finalize(st);
            return false;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// DIY.xqd of `rows` sites, opened; nothing when it cannot be made.
std::optional<SiteDatabase> ListingDatabase(benchmark::State& state, const BenchDir& dir)
{
    std::string error;
    if (!FillDatabase(dir.Path(), state.range(0), &error)) {
        state.SkipWithError(error.c_str());
        return std::nullopt;
    }
    Result<SiteDatabase> db = OpenSiteDatabase(dir.Path());
    if (!db) {
        state.SkipWithError(db.error().message.toStdString().c_str());
        return std::nullopt;
    }
    return std::move(db.value());
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
