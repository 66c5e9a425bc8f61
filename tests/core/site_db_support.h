#pragma once
// Temporary application directories, raw reads of the database file, file snapshots.

#include "catalogue/site_database.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace sitecapture::testing {

// An application directory of its own, optionally with the template the build produced.
class AppDir {
public:
    enum Template { WithTemplate, WithoutTemplate };
    explicit AppDir(Template t = WithTemplate)
    {
        EXPECT_TRUE(dir_.isValid());
        if (t == WithTemplate) {
            EXPECT_TRUE(QFile::copy(SITECAPTURE_TEMPLATE_PATH, TemplatePath()));
        }
    }
    QString Path() const { return dir_.path(); }
    QString DbPath() const { return dir_.filePath("DIY.xqd"); }
    QString TemplatePath() const { return dir_.filePath("sdk.dll"); }
    QString File(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// One cell: the text, or nullopt for NULL.
using Cell = std::optional<QString>;
using Rows = QList<QList<Cell>>;

// Reads with a connection of its own, outside the code under test.
inline Rows RawQuery(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    Rows rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    } else {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QList<Cell> row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row << (t ? Cell(QString::fromUtf8(t, sqlite3_column_bytes(st, i))) : Cell());
            }
            rows << row;
        }
        if (rc != SQLITE_DONE)
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

// Writes with a connection of its own, as another program would.
inline void RunSql(const QString& path, const char* sql)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_close(raw);
}

inline QString RawText(const QString& path, const char* sql)
{
    const Rows r = RawQuery(path, sql);
    return r.isEmpty() || r[0].isEmpty() ? u"<no row>"_qs : r[0][0].value_or(u"<NULL>"_qs);
}

// Every file of a directory with its bytes, to show that nothing was touched.
inline QMap<QString, QByteArray> Snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile f(fi.filePath());
        files[fi.fileName()] = fi.isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<dir>");
    }
    return files;
}

inline SiteDatabase OpenOrFail(const QString& dir, std::chrono::milliseconds timeout = kDefaultBusyTimeout)
{
    Result<SiteDatabase> db = OpenSiteDatabase(dir, timeout);
    if (!db)
        throw std::runtime_error(db.error().message.toStdString());
    return std::move(db.value());
}

// All twelve fields written with the given texts.
inline std::vector<FieldWrite> AllFields(const SiteRecord& r)
{
    std::vector<FieldWrite> w;
    for (SiteField f : kSiteFields)
        w.push_back({f, r.Field(f)});
    return w;
}

inline SiteRecord SampleSite(const QString& name)
{
    SiteRecord r;
    r.engname = u"综合"_qs;
    r.Name = name;
    r.xxfburl = u"http://www.example.cn/post.asp"_qs;
    r.asp = u"www.example.cn/list.asp"_qs;
    r.yhdlurl = u"http://www.example.cn/login.asp"_qs;
    r.gbe = u"g"_qs;
    r.Action = u"www.example.cn/save.asp"_qs;
    r.Memo = u"title=/ztitle/&price=/zprice/"_qs;
    r.checkvar = u"发布成功"_qs;
    r.loginhttp = u"http://www.example.cn/chk.asp"_qs;
    r.login = u"user=/zuser/&pass=/zpass/"_qs;
    r.loginreturn = u"欢迎"_qs;
    return r;
}

} // namespace sitecapture::testing

namespace sitecapture {
inline void PrintTo(const SiteRecord& r, std::ostream* os)
{
    *os << "{Id " << r.Id << ", Name \"" << r.Name.left(40).toStdString() << "\"";
    for (SiteField f : kSiteFields)
        *os << ", " << FieldName(f) << " " << r.Field(f).size();
    *os << "}";
}
} // namespace sitecapture
