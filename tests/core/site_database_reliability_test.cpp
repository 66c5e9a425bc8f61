// The site database against bad files, another program's locks, killed saves and
// directories that refuse writes.

#include "catalogue/site_database.h"

#include "site_db_loop_rows.h"
#include "site_db_support.h"
#include "test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <thread>

using namespace sitecapture;
using namespace sitecapture::testing;
using namespace std::chrono_literals;

namespace {

// The word of the message that names the cause.
QString CauseWord(ErrorKind f)
{
    switch (f) {
    case ErrorKind::TemplateMissing: return u"模板文件"_qs;
    case ErrorKind::TemplateDamaged: return u"模板文件"_qs;
    case ErrorKind::Damaged: return u"损坏"_qs;
    case ErrorKind::NotWritable: return u"写入权限"_qs;
    case ErrorKind::Locked: return u"正被其他程序使用"_qs;
    case ErrorKind::RowVanished: return u"已不在"_qs;
    case ErrorKind::Failed: return u"出错"_qs;
    case ErrorKind::BrowserUnavailable: return u"浏览器"_qs;
    case ErrorKind::Refused: return u"只能"_qs;
    case ErrorKind::TimedOut: return u"秒内没有回应"_qs;
    case ErrorKind::NotChecked: return u"无法检查"_qs;
    }
    return {};
}

void ExpectError(const OperatorError& e, ErrorKind fault, const QString& file)
{
    EXPECT_EQ(e.kind, fault) << e.message.toStdString();
    EXPECT_TRUE(e.message.contains(file)) << e.message.toStdString();
    EXPECT_TRUE(e.message.contains(CauseWord(fault))) << e.message.toStdString();
    // the engine's own words, read before a later statement replaced them
    EXPECT_FALSE(e.message.contains(u"not an error"_qs)) << e.message.toStdString();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A site database with enough rows to span many pages.
QByteArray SizeableDatabase()
{
    AppDir scratch;
    {
        SiteDatabase db = OpenOrFail(scratch.Path());
        for (quint32 seq = 1; seq <= 30; ++seq)
            EXPECT_TRUE(db.AddSite(LoopRow(seq)).ok());
    }
    return ReadFile(scratch.DbPath());
}

TEST(SiteDatabaseBadFiles, EachGivesItsErrorAndLeavesTheFilesAsTheyWere)
{
    const QByteArray database = SizeableDatabase();
    const QByteArray text = u"这不是数据库\r\nengname,Name\r\n综合,某网\r\n"_qs.toUtf8();
    const struct {
        const char* what;
        std::function<void(const AppDir&)> setup;
        ErrorKind fault;
        bool aboutTemplate; // the message names sdk.dll rather than DIY.xqd
    } cases[] = {
        {"zero-byte DIY.xqd", [](const AppDir& a) { WriteFile(a.DbPath(), {}); }, ErrorKind::Damaged, false},
        {"text file as DIY.xqd", [&](const AppDir& a) { WriteFile(a.DbPath(), text); }, ErrorKind::Damaged, false},
        {"truncated DIY.xqd", [&](const AppDir& a) { WriteFile(a.DbPath(), database.left(database.size() * 3 / 5)); },
         ErrorKind::Damaged, false},
        {"DIY.xqd cut inside its first page", [&](const AppDir& a) { WriteFile(a.DbPath(), database.left(1000)); },
         ErrorKind::Damaged, false},
        {"database without table main", [](const AppDir& a) { RunSql(a.DbPath(), "create table sites (Id INTEGER)"); },
         ErrorKind::Damaged, false},
        {"table main without loginreturn",
         [](const AppDir& a) {
             RunSql(a.DbPath(), "create table main (Id INTEGER PRIMARY KEY, engname, Name, xxfburl, asp, yhdlurl, "
                                "gbe, Action, Memo, checkvar, loginhttp, login)");
         },
         ErrorKind::Damaged, false},
        {"DIY.xqd is a directory", [](const AppDir& a) { ASSERT_TRUE(QDir().mkdir(a.DbPath())); },
         ErrorKind::Damaged, false},
        {"no DIY.xqd, no template", [](const AppDir& a) { QFile::remove(a.TemplatePath()); },
         ErrorKind::TemplateMissing, true},
        {"no DIY.xqd, template is text", [&](const AppDir& a) { WriteFile(a.TemplatePath(), text); },
         ErrorKind::TemplateDamaged, true},
        {"no DIY.xqd, template of zero bytes", [](const AppDir& a) { WriteFile(a.TemplatePath(), {}); },
         ErrorKind::TemplateDamaged, true},
        {"no DIY.xqd, template whose Id the engine does not assign",
         [](const AppDir& a) {
             QFile::remove(a.TemplatePath());
             RunSql(a.TemplatePath(), "create table main (Id INT PRIMARY KEY, engname, Name, xxfburl, asp, yhdlurl, "
                                      "gbe, Action, Memo, checkvar, loginhttp, login, loginreturn)");
         },
         ErrorKind::TemplateDamaged, true},
        {"no DIY.xqd, template truncated", [&](const AppDir& a) { WriteFile(a.TemplatePath(), database.left(5000)); },
         ErrorKind::TemplateDamaged, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppDir app;
        c.setup(app);
        const auto before = Snapshot(app.Path());
        Result<SiteDatabase> db = OpenSiteDatabase(app.Path());
        ASSERT_FALSE(db.ok());
        ExpectError(db.error(), c.fault, c.aboutTemplate ? app.TemplatePath() : app.DbPath());
        EXPECT_EQ(Snapshot(app.Path()), before);
    }
}

TEST(SiteDatabaseBadFiles, DamagedTablePageIsReportedWhenRead)
{
    AppDir app;
    QByteArray bytes = SizeableDatabase();
    const qint64 pageSize = 4096;
    // page 2 is the root of table main: garbage there breaks every read of the table
    bytes.replace(pageSize, pageSize, QByteArray(pageSize, '\xA5'));
    WriteFile(app.DbPath(), bytes);
    const auto before = Snapshot(app.Path());

    Result<SiteDatabase> db = OpenSiteDatabase(app.Path());
    ASSERT_TRUE(db.ok()) << "the table's pages are only read when listing";
    Result<std::vector<SiteRecord>> rows = db.value().ListSites();
    ASSERT_FALSE(rows.ok());
    ExpectError(rows.error(), ErrorKind::Damaged, app.DbPath());
    Result<qint64> added = db.value().AddSite(LoopRow(99));
    ASSERT_FALSE(added.ok());
    ExpectError(added.error(), ErrorKind::Damaged, app.DbPath());
    EXPECT_EQ(Snapshot(app.Path()), before);
}

// Another program's connection holding a lock on DIY.xqd: a transaction begun and one
// statement run in it, kept open until Release.
class LockHolder {
public:
    LockHolder(const QString& path, const char* begin, const char* work)
    {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db_), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, begin, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
        EXPECT_EQ(sqlite3_exec(db_, work, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
    }
    ~LockHolder() { sqlite3_close(db_); }
    void Release() { EXPECT_EQ(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db_); }

private:
    sqlite3* db_ = nullptr;
};

constexpr char kHolderWrites[] = "insert into main (Name) values ('holder')";
constexpr char kHolderReads[] = "select count(*) from main";

enum class Op { List, Load, Add, Update, Delete };

std::optional<OperatorError> RunOp(SiteDatabase& db, Op op)
{
    auto error = [](const auto& r) { return r.ok() ? std::nullopt : std::optional(r.error()); };
    switch (op) {
    case Op::List: return error(db.ListSites());
    case Op::Load: return error(db.LoadSite(1));
    case Op::Add: return error(db.AddSite(AllFields(SampleSite("c"))));
    case Op::Update: return error(db.UpdateSite(1, {{SiteField::Name, u"a2"_qs}}));
    case Op::Delete: return error(db.DeleteSite(2));
    }
    return std::nullopt;
}

TEST(SiteDatabaseLocks, AWriteLockOutlivingTheTimeoutFailsClearlyAndTheSameSaveSucceedsAfterwards)
{
    constexpr auto timeout = 150ms;
    const struct {
        const char* lock;
        const char* work;
        Op op;
        bool blocked;
        QStringList names; // after the lock is released and the operation is run again
    } cases[] = {
        // a writer that has not committed yet: reading goes on, writing waits
        {"BEGIN IMMEDIATE", kHolderWrites, Op::List, false, {"a", "b", "holder"}},
        {"BEGIN IMMEDIATE", kHolderWrites, Op::Load, false, {"a", "b", "holder"}},
        {"BEGIN IMMEDIATE", kHolderWrites, Op::Add, true, {"a", "b", "holder", "c"}},
        {"BEGIN IMMEDIATE", kHolderWrites, Op::Update, true, {"a2", "b", "holder"}},
        {"BEGIN IMMEDIATE", kHolderWrites, Op::Delete, true, {"a", "holder"}},
        // a writer in the middle of committing: everything waits
        {"BEGIN EXCLUSIVE", kHolderWrites, Op::List, true, {"a", "b", "holder"}},
        {"BEGIN EXCLUSIVE", kHolderWrites, Op::Load, true, {"a", "b", "holder"}},
        {"BEGIN EXCLUSIVE", kHolderWrites, Op::Add, true, {"a", "b", "holder", "c"}},
        {"BEGIN EXCLUSIVE", kHolderWrites, Op::Update, true, {"a2", "b", "holder"}},
        {"BEGIN EXCLUSIVE", kHolderWrites, Op::Delete, true, {"a", "holder"}},
        // a long read, as the posting product makes: the save's commit waits for it
        {"BEGIN", kHolderReads, Op::List, false, {"a", "b"}},
        {"BEGIN", kHolderReads, Op::Add, true, {"a", "b", "c"}},
        {"BEGIN", kHolderReads, Op::Update, true, {"a2", "b"}},
        {"BEGIN", kHolderReads, Op::Delete, true, {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lock) + " op " + std::to_string(int(c.op)));
        AppDir app;
        SiteDatabase db = OpenOrFail(app.Path(), timeout);
        for (const char* n : {"a", "b"})
            ASSERT_TRUE(db.AddSite(AllFields(SampleSite(n))).ok());
        {
            LockHolder holder(app.DbPath(), c.lock, c.work);
            const auto start = std::chrono::steady_clock::now();
            const std::optional<OperatorError> e = RunOp(db, c.op);
            const auto waited = std::chrono::steady_clock::now() - start;
            ASSERT_EQ(e.has_value(), c.blocked) << (e ? e->message.toStdString() : "");
            if (e) {
                ExpectError(*e, ErrorKind::Locked, app.DbPath());
                EXPECT_GE(waited, timeout * 9 / 10) << "the save waits for the lock before giving up";
            }
            holder.Release();
        }
        const std::optional<OperatorError> again = RunOp(db, c.op);
        EXPECT_FALSE(again) << again->message.toStdString();
        QStringList names;
        for (const SiteRecord& r : db.ListSites().value())
            names << r.Name;
        EXPECT_EQ(names, c.names) << "nothing lost, nothing doubled";
    }
}

TEST(SiteDatabaseLocks, OpeningUnderAnotherProgramsLockGivesTheEnginesCause)
{
    AppDir app;
    OpenOrFail(app.Path());
    LockHolder holder(app.DbPath(), "BEGIN EXCLUSIVE", kHolderWrites);
    Result<SiteDatabase> db = OpenSiteDatabase(app.Path(), 150ms);
    ASSERT_FALSE(db.ok());
    ExpectError(db.error(), ErrorKind::Locked, app.DbPath());
    EXPECT_TRUE(db.error().message.contains(u"database is locked"_qs)) << db.error().message.toStdString();
    holder.Release();
}

TEST(SiteDatabaseLocks, ASaveWaitsForALockReleasedWithinTheTimeout)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path(), 5s);
    auto holder = std::make_unique<LockHolder>(app.DbPath(), "BEGIN EXCLUSIVE", kHolderWrites);
    std::thread release([&] {
        std::this_thread::sleep_for(200ms);
        holder->Release();
    });
    Result<qint64> id = db.AddSite(AllFields(SampleSite("mine")));
    release.join();
    ASSERT_TRUE(id.ok()) << id.error().message.toStdString();
    QStringList names;
    for (const SiteRecord& r : db.ListSites().value())
        names << r.Name;
    EXPECT_EQ(names, (QStringList{"holder", "mine"}));
}

TEST(SiteDatabaseReliability, KilledWhileSavingLeavesOnlyCompleteRows)
{
    AppDir app;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::map<qint64, quint32> committed; // last save the child reported per row
    int hotJournals = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QProcess child;
        child.start(SITECAPTURE_DB_CHILD_PATH, {"save-loop", app.Path(), QString::number(rng())});
        ASSERT_TRUE(child.waitForStarted(10000));
        // most rounds kill while saving; some while the child is still opening the file
        if (round % 8 != 5) {
            while (!child.peek(64).startsWith("ready\n"))
                ASSERT_TRUE(child.waitForReadyRead(10000)) << child.readAllStandardError().toStdString();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 50000));
        ASSERT_EQ(::kill(pid_t(child.processId()), SIGKILL), 0);
        ASSERT_TRUE(child.waitForFinished(10000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit)
            << "the child stopped by itself: " << child.readAll().toStdString() << child.readAllStandardError().toStdString();

        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 3 && (w[0] == "added" || w[0] == "updated"))
                committed[w[1].toLongLong()] = w[2].toUInt();
        }
        hotJournals += QFile::exists(app.DbPath() + "-journal");

        SiteDatabase db = OpenOrFail(app.Path());
        const std::vector<SiteRecord> rows = db.ListSites().value();
        EXPECT_EQ(RawText(app.DbPath(), "pragma integrity_check"), "ok");
        std::map<qint64, quint32> found;
        for (const SiteRecord& r : rows) {
            const std::optional<quint32> seq = CompleteLoopRow(r);
            ASSERT_TRUE(seq) << "row " << r.Id << " is incomplete";
            found[r.Id] = *seq;
        }
        for (const auto& [id, seq] : committed) {
            ASSERT_TRUE(found.contains(id)) << "committed row " << id << " lost";
            EXPECT_GE(found[id], seq) << "row " << id << " lost its last committed save";
        }
    }
    RecordProperty("hot_journals", hotJournals);
    EXPECT_GT(hotJournals, 0) << "no kill landed inside a save";
    EXPECT_FALSE(committed.empty());
}

// Directories and files that refuse writes, tried by a child process that is not root
// (as root, permissions would not stop anything).
TEST(SiteDatabaseReliability, UnwritableDirectoryOrFileGivesItsErrorAndChangesNothing)
{
    const QByteArray database = SizeableDatabase();
    enum Layout { NoDatabase, Plain, Wal, Linked };
    const struct {
        const char* what;
        Layout layout;
        QFileDevice::Permissions dbMode;
        bool dirWritable; // the directory that holds the real file
        bool opens;       // the error comes from the save, not the opening
    } cases[] = {
        {"first start in a read-only directory", NoDatabase, {}, false, false},
        {"save in a read-only directory", Plain, QFileDevice::Permissions(0x6666), false, true},
        {"save to a read-only DIY.xqd", Plain, QFileDevice::Permissions(0x4444), true, true},
        {"WAL database in a read-only directory", Wal, QFileDevice::Permissions(0x6666), false, false},
        // the link's own directory is writable: the message names the one that is not
        {"DIY.xqd linked to a file in a read-only directory", Linked, QFileDevice::Permissions(0x6666), false, true},
    };
    QStringList skipped;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        ASSERT_TRUE(QFile::setPermissions(root.path(), QFileDevice::Permissions(0x7755)));
        const QString dir = root.filePath("app");
        ASSERT_TRUE(QDir().mkdir(dir));
        ASSERT_TRUE(QFile::copy(SITECAPTURE_TEMPLATE_PATH, dir + "/sdk.dll"));
        // the directory that holds the database file itself
        const QString home = c.layout == Linked ? root.filePath("real") : dir;
        if (c.layout == Linked) {
            ASSERT_TRUE(QDir().mkdir(home));
            ASSERT_TRUE(QFile::link(home + "/DIY.xqd", dir + "/DIY.xqd"));
        }
        if (c.layout != NoDatabase) {
            WriteFile(home + "/DIY.xqd", database);
            if (c.layout == Wal) {
                RunSql(home + "/DIY.xqd", "pragma journal_mode=WAL");
            }
            ASSERT_TRUE(QFile::setPermissions(home + "/DIY.xqd", c.dbMode));
        }
        ASSERT_TRUE(QFile::setPermissions(home, QFileDevice::Permissions(c.dirWritable ? 0x7777 : 0x5555)));
        if (home != dir) {
            ASSERT_TRUE(QFile::setPermissions(dir, QFileDevice::Permissions(0x7777)));
        }
        const auto before = Snapshot(dir);
        const auto homeBefore = Snapshot(home);

        QProcess child;
        child.start(SITECAPTURE_DB_CHILD_PATH, {"add", dir});
        ASSERT_TRUE(child.waitForFinished(20000));
        const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QFile::setPermissions(dir, QFileDevice::Permissions(0x7755));
        QFile::setPermissions(home, QFileDevice::Permissions(0x7755));
        ASSERT_FALSE(lines.isEmpty()) << child.readAllStandardError().toStdString();
        if (lines[0].startsWith("skip ")) {
            skipped << QString(c.what) + ": " + lines[0].mid(5);
            continue;
        }
        if (lines[0] != QStringLiteral("dir-writable %1").arg(home == dir && !c.dirWritable ? 0 : 1)) {
            skipped << QString(c.what) + ": the directory's permissions do not apply here (" + lines[0] + ")";
            continue;
        }
        ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
        const QStringList error = lines[1].split(' ');
        ASSERT_GE(error.size(), 3) << lines[1].toStdString();
        EXPECT_EQ(error[0], "error");
        const QString message = lines[1].section(' ', 2);
        ExpectError({ErrorKind(error[1].toInt()), {}, message}, ErrorKind::NotWritable, dir + "/DIY.xqd");
        if (!c.dirWritable) {
            EXPECT_TRUE(message.contains(u"目录 "_qs + home + u" 不可写"_qs)) << message.toStdString();
        }
        EXPECT_EQ(message.startsWith(u"无法打开"_qs), !c.opens) << message.toStdString();
        EXPECT_EQ(Snapshot(dir), before);
        EXPECT_EQ(Snapshot(home), homeBefore);
    }
    if (!skipped.isEmpty())
        GTEST_SKIP() << skipped.join("; ").toStdString();
}

} // namespace
