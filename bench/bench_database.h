#pragma once
// A site database of realistic rows for the benchmarks.

#include "catalogue/site_database.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace sitecapture {

SiteRecord RealisticSite(qint64 row);

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
inline bool FillDatabase(const QString& dir, qint64 rows, std::string* error)
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
inline std::optional<SiteDatabase> ListingDatabase(benchmark::State& state, const BenchDir& dir)
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

} // namespace sitecapture
