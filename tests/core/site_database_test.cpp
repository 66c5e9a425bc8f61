// The site database on real files in temporary application directories.

#include "catalogue/site_database.h"

#include "site_db_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

using namespace sitecapture;
using namespace sitecapture::testing;

namespace {

std::vector<qint64> Ids(const std::vector<SiteRecord>& rows)
{
    std::vector<qint64> ids;
    for (const SiteRecord& r : rows)
        ids.push_back(r.Id);
    return ids;
}

std::vector<SiteRecord> List(SiteDatabase& db)
{
    Result<std::vector<SiteRecord>> rows = db.ListSites();
    EXPECT_TRUE(rows.ok()) << (rows.ok() ? "" : rows.error().message.toStdString());
    return rows.ok() ? rows.value() : std::vector<SiteRecord>{};
}

qint64 Add(SiteDatabase& db, const SiteRecord& r)
{
    Result<qint64> id = db.AddSite(AllFields(r));
    EXPECT_TRUE(id.ok()) << (id.ok() ? "" : id.error().message.toStdString());
    return id.ok() ? id.value() : -1;
}

TEST(SiteTemplate, BuiltTemplateHoldsAnEmptyTableMain)
{
    const QString tpl = SITECAPTURE_TEMPLATE_PATH;
    const Rows columns = RawQuery(tpl, "select name, type, pk from pragma_table_info('main') order by cid");
    const QStringList expected{"Id",   "engname", "Name",     "xxfburl",   "asp",   "yhdlurl",    "gbe",
                               "Action", "Memo",  "checkvar", "loginhttp", "login", "loginreturn"};
    ASSERT_EQ(columns.size(), expected.size());
    for (int i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i][0], expected[i]);
        EXPECT_EQ(columns[i][1], i == 0 ? "INTEGER" : "TEXT") << expected[i].toStdString();
        EXPECT_EQ(columns[i][2], i == 0 ? "1" : "0") << expected[i].toStdString();
    }
    EXPECT_TRUE(RawText(tpl, "select sql from sqlite_master where name='main'").contains("AUTOINCREMENT"));
    EXPECT_EQ(RawText(tpl, "select count(*) from main"), "0");
    EXPECT_EQ(RawText(tpl, "pragma integrity_check"), "ok");
}

// A template or database file holding the given sites, made through the code under test.
void MakeDatabaseFile(const QString& target, const QStringList& names)
{
    AppDir scratch;
    {
        SiteDatabase db = OpenOrFail(scratch.Path());
        for (const QString& n : names)
            Add(db, SampleSite(n));
    }
    ASSERT_TRUE(QFile::copy(scratch.DbPath(), target));
}

TEST(OpenSiteDatabase, FirstStartCopiesTheTemplateAndNeverReplacesTheDatabase)
{
    const struct {
        const char* what;
        bool withTemplate;
        bool withDatabase;
        std::optional<ErrorKind> fault;
        QStringList listed;
        bool walTemplate = false;
    } cases[] = {
        {"template only: copied", true, false, std::nullopt, {"t1", "t2"}},
        {"database only: opened, no copy tried", false, true, std::nullopt, {"d1"}},
        {"both: database kept as it is", true, true, std::nullopt, {"d1"}},
        {"neither: start fails", false, false, ErrorKind::TemplateMissing, {}},
        {"template in WAL mode only: copied, no file of the copy left", true, false, std::nullopt, {"t1", "t2"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppDir app(AppDir::WithoutTemplate);
        if (c.withTemplate)
            MakeDatabaseFile(app.TemplatePath(), {"t1", "t2"});
        if (c.walTemplate) {
            RunSql(app.TemplatePath(), "pragma journal_mode=WAL");
            ASSERT_EQ(RawText(app.TemplatePath(), "pragma journal_mode"), "wal");
        }
        if (c.withDatabase)
            MakeDatabaseFile(app.DbPath(), {"d1"});
        const auto before = Snapshot(app.Path());

        {
            Result<SiteDatabase> db = OpenSiteDatabase(app.Path());
            ASSERT_EQ(db.ok(), !c.fault);
            if (c.fault) {
                EXPECT_EQ(db.error().kind, *c.fault);
                EXPECT_TRUE(db.error().message.contains(app.DbPath())) << db.error().message.toStdString();
                EXPECT_TRUE(db.error().message.contains(app.TemplatePath())) << db.error().message.toStdString();
                EXPECT_EQ(Snapshot(app.Path()), before) << "nothing created";
                continue;
            }
            QStringList names;
            for (const SiteRecord& r : List(db.value()))
                names << r.Name;
            EXPECT_EQ(names, c.listed);
        }
        // the database closed: what the engine keeps beside an open file is gone as well
        auto after = Snapshot(app.Path());
        if (!c.withDatabase) {
            EXPECT_EQ(after.value("DIY.xqd"), before.value("sdk.dll")) << "a byte-for-byte copy";
            after.remove("DIY.xqd");
            QTemporaryDir other;
            QFile plain(other.filePath("plain"));
            ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
            EXPECT_EQ(QFile::permissions(app.DbPath()), plain.permissions()) << "made like any new file";
        }
        EXPECT_EQ(after, before) << "template untouched, no other file left behind";
    }
}

TEST(SiteDatabase, ListsInIdOrderAndNeverReusesAnId)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    std::vector<qint64> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(Add(db, SampleSite(QString::number(i))));
    EXPECT_EQ(ids, (std::vector<qint64>{1, 2, 3, 4, 5}));
    ASSERT_TRUE(db.DeleteSite(5).value());
    ASSERT_TRUE(db.DeleteSite(2).value());
    EXPECT_EQ(Add(db, SampleSite("after")), 6) << "the deleted highest Id is not handed out again";

    // rows written by another program with Ids out of insertion order
    RunSql(app.DbPath(), "insert into main (Id, Name) values (100, 'x'); insert into main (Id, Name) values (50, 'y')");
    EXPECT_EQ(Ids(List(db)), (std::vector<qint64>{1, 3, 4, 6, 50, 100}));
    EXPECT_EQ(Add(db, SampleSite("next")), 101);
}

TEST(SiteDatabase, IdThatTheEngineDoesNotAssignIsRefusedBeforeAnythingIsWritten)
{
    // Only an INTEGER PRIMARY KEY of a table with row numbers is assigned by the engine,
    // unique and the row's own number; any other Id would have a new row and its edits
    // address the wrong row.
    constexpr char kFields[] = "engname TEXT, Name TEXT, xxfburl TEXT, asp TEXT, yhdlurl TEXT, gbe TEXT, "
                               "Action TEXT, Memo TEXT, checkvar TEXT, loginhttp TEXT, login TEXT, loginreturn TEXT";
    const struct {
        const char* id;     // Id's declaration
        const char* suffix; // after the closing bracket
        bool refused;
    } cases[] = {
        {"Id INT PRIMARY KEY", "", true},
        {"Id INTEGER", "", true},
        {"Id INTEGER UNIQUE", "", true},
        {"Id INTEGER PRIMARY KEY DESC", "", true},
        {"Id INTEGER PRIMARY KEY", " WITHOUT ROWID", true},
        {"Id TEXT PRIMARY KEY", "", true},
        {"id integer primary key", "", false},
        {"Id INTEGER PRIMARY KEY AUTOINCREMENT", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id + std::string(c.suffix));
        AppDir app(AppDir::WithoutTemplate);
        const QByteArray sql = QByteArray("create table main (") + c.id + ", " + kFields + ")" + c.suffix
            + "; insert into main (Id, Name) values (2, 'other-site');";
        RunSql(app.DbPath(), sql.constData());
        const auto before = Snapshot(app.Path());

        Result<SiteDatabase> db = OpenSiteDatabase(app.Path());
        ASSERT_EQ(db.ok(), !c.refused);
        if (c.refused) {
            EXPECT_EQ(db.error().kind, ErrorKind::Damaged);
            EXPECT_TRUE(db.error().message.contains(app.DbPath())) << db.error().message.toStdString();
            EXPECT_TRUE(db.error().message.contains(u"Id 字段不是整数主键"_qs)) << db.error().message.toStdString();
            EXPECT_EQ(Snapshot(app.Path()), before) << "nothing written";
            continue;
        }
        SiteRecord added = SampleSite("new");
        added.Id = Add(db.value(), added);
        EXPECT_EQ(added.Id, 3);
        ASSERT_TRUE(db.value().UpdateSite(added.Id, {{SiteField::Name, u"renamed"_qs}}).ok());
        EXPECT_EQ(RawText(app.DbPath(), "select group_concat(Id || ':' || Name, ' ') from (select * from main order by Id)"),
                  "2:other-site 3:renamed");
    }

    // An engine-assigned Id that would not be positive: the add is refused, nothing written.
    AppDir app(AppDir::WithoutTemplate);
    RunSql(app.DbPath(), (QByteArray("create table main (Id INTEGER PRIMARY KEY, ") + kFields
                          + "); insert into main (Id, Name) values (-5, 'odd');").constData());
    SiteDatabase db = OpenOrFail(app.Path());
    const auto before = Snapshot(app.Path());
    Result<qint64> id = db.AddSite(AllFields(SampleSite("new")));
    ASSERT_FALSE(id.ok());
    EXPECT_TRUE(id.error().message.contains(app.DbPath())) << id.error().message.toStdString();
    EXPECT_EQ(Snapshot(app.Path()), before);
}

TEST(SiteDatabase, DeleteRemovesOnlyItsRowAndAMissingIdChangesNothing)
{
    const struct {
        qint64 id;
        bool deleted;
        std::vector<qint64> left;
    } cases[] = {
        {2, true, {1, 3}},
        {1, true, {2, 3}},
        {3, true, {1, 2}},
        {4, false, {1, 2, 3}},
        {0, false, {1, 2, 3}},
        {-1, false, {1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        AppDir app;
        SiteDatabase db = OpenOrFail(app.Path());
        for (const char* n : {"a", "b", "c"})
            Add(db, SampleSite(n));
        const std::vector<SiteRecord> before = List(db);
        Result<bool> done = db.DeleteSite(c.id);
        ASSERT_TRUE(done.ok());
        EXPECT_EQ(done.value(), c.deleted);
        const std::vector<SiteRecord> after = List(db);
        EXPECT_EQ(Ids(after), c.left);
        for (const SiteRecord& r : after)
            EXPECT_EQ(r, before[std::size_t(r.Id - 1)]) << "other rows unchanged";
    }
}

TEST(SiteDatabase, LoadsOneRowOrNothing)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    SiteRecord a = SampleSite("a"), b = SampleSite("b");
    b.gbe = "e";
    b.loginhttp.clear();
    a.Id = Add(db, a);
    b.Id = Add(db, b);
    EXPECT_EQ(db.LoadSite(b.Id).value(), b);
    EXPECT_EQ(db.LoadSite(a.Id).value(), a);
    EXPECT_EQ(db.LoadSite(99).value(), std::nullopt);
    EXPECT_EQ(db.LoadSite(0).value(), std::nullopt);
}

SiteTexts WizardTexts(const QString& name)
{
    SiteTexts t;
    t.language = u"繁体中文"_qs;
    t.category = u"化工"_qs;
    t.name = name;
    t.publishPageUrl = "http://www.b.cn/post.asp";
    t.viewPageUrl = "http://www.b.cn/list.asp";
    t.loginPageUrl = "";
    t.publishAction = "http://www.b.cn/save.asp";
    t.publishData = "title=/ztitle/";
    t.publishReturn = u"成功"_qs;
    return t;
}

TEST(SaveSite, NewSiteLeavesUnwrittenFieldsAtTheDefaultAndWritesEmptyTexts)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    SiteTexts t = WizardTexts(u"新站"_qs);
    t.language = "Deutsch"; // not in the table: gbe not written
    Result<qint64> id = SaveSite(db, 0, t);
    ASSERT_TRUE(id.ok());
    EXPECT_EQ(id.value(), 1);

    const Rows types = RawQuery(app.DbPath(), "select typeof(gbe), typeof(loginhttp), typeof(yhdlurl), typeof(login), "
                                              "typeof(loginreturn), asp, Action from main");
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types[0], (QList<Cell>{"null", "null", "text", "text", "text", "www.b.cn/list.asp", "www.b.cn/save.asp"}));

    const SiteRecord r = db.LoadSite(1).value().value();
    EXPECT_EQ(r.gbe, "");
    EXPECT_EQ(r.loginhttp, "");
    EXPECT_EQ(r.engname, u"化工"_qs);
    EXPECT_EQ(r.Name, u"新站"_qs);
}

TEST(SaveSite, EditedSiteChangesItsRowOnly)
{
    const struct {
        const char* what;
        std::function<void(SiteTexts&)> change;
        std::function<void(SiteRecord&)> expect;
    } cases[] = {
        {"every written field",
         [](SiteTexts& t) {
             t.loginAction = "https://www.b.cn/chk";
             t.loginData = "u=/zuser/";
             t.loginReturn = u"欢迎"_qs;
         },
         [](SiteRecord& r) {
             r.gbe = "b";
             r.engname = u"化工"_qs;
             r.Name = u"改名"_qs;
             r.xxfburl = "http://www.b.cn/post.asp";
             r.asp = "www.b.cn/list.asp";
             r.yhdlurl = "";
             r.Action = "www.b.cn/save.asp";
             r.Memo = "title=/ztitle/";
             r.checkvar = u"成功"_qs;
             r.loginhttp = "https://www.b.cn/chk";
             r.login = "u=/zuser/";
             r.loginreturn = u"欢迎"_qs;
         }},
        {"language outside the table keeps the old code, no login action stores empty",
         [](SiteTexts& t) { t.language = "Klingon"; },
         [](SiteRecord& r) {
             r.engname = u"化工"_qs;
             r.Name = u"改名"_qs;
             r.xxfburl = "http://www.b.cn/post.asp";
             r.asp = "www.b.cn/list.asp";
             r.yhdlurl = "";
             r.Action = "www.b.cn/save.asp";
             r.Memo = "title=/ztitle/";
             r.checkvar = u"成功"_qs;
             r.loginhttp = "";
             r.login = "";
             r.loginreturn = "";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppDir app;
        SiteDatabase db = OpenOrFail(app.Path());
        for (const char* n : {"a", "b", "c"})
            Add(db, SampleSite(n));
        const std::vector<SiteRecord> before = List(db);

        SiteTexts t = WizardTexts(u"改名"_qs);
        c.change(t);
        Result<qint64> id = SaveSite(db, 2, t);
        ASSERT_TRUE(id.ok()) << id.error().message.toStdString();
        EXPECT_EQ(id.value(), 2);

        std::vector<SiteRecord> expected = before;
        c.expect(expected[1]);
        EXPECT_EQ(List(db), expected);
        EXPECT_EQ(RawText(app.DbPath(), "select typeof(loginhttp) from main where Id=2"), "text");
    }
}

TEST(SaveSite, EditOfAVanishedRowIsReportedAndWritesNothing)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    Add(db, SampleSite("a"));
    const auto before = List(db);
    Result<qint64> r = SaveSite(db, 7, WizardTexts("x"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, ErrorKind::RowVanished);
    EXPECT_TRUE(r.error().message.contains(app.DbPath()));
    EXPECT_TRUE(r.error().message.contains(u"编号为 7 的站点"_qs)) << r.error().message.toStdString();
    EXPECT_EQ(List(db), before);
}

QString RandomText(std::mt19937& rng, qsizetype length)
{
    QString s;
    s.reserve(length + 1);
    while (s.size() < length) {
        const unsigned kind = rng() % 8;
        if (kind == 0) { // astral plane, as a surrogate pair
            const char32_t c = 0x10000 + rng() % 0xFFFF0;
            s += QChar(QChar::highSurrogate(c));
            s += QChar(QChar::lowSurrogate(c));
        } else {
            char16_t c = char16_t(1 + rng() % 0xFFFE); // never NUL
            if (QChar::isSurrogate(c))
                c = u'?';
            s += QChar(c);
        }
    }
    return s;
}

TEST(SiteDatabase, TextsRoundTripByteForByte)
{
    std::mt19937 rng(7);
    const QString odd[] = {
        "",
        " ",
        "'); drop table main; --",
        "\"quoted\" 'single' ? ?1 :a @b $c",
        u"中文 繁體 日本語 한국어 ｆｕｌｌ　ｗｉｄｔｈ"_qs,
        u"emoji 😀 𠀋 and combining e\u0301"_qs,
        QString("\x01\x02\t\r\n\x7f"),
        u"\uFEFF\uFFFD\uFFFF"_qs,
        "%D6%D0%CE%C4+&a=b",
        RandomText(rng, 5000),
    };
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    std::vector<SiteRecord> written;
    for (const QString& text : odd) {
        SiteRecord r;
        for (SiteField f : kSiteFields)
            r.Field(f) = text + FieldName(f);
        r.Id = Add(db, r);
        written.push_back(r);
    }
    // post data of megabytes in Memo and login
    SiteRecord big = SampleSite("big");
    big.Memo = RandomText(rng, 3 << 20);
    big.login = RandomText(rng, 1 << 20);
    big.Id = Add(db, big);
    written.push_back(big);

    EXPECT_EQ(List(db), written);
    EXPECT_EQ(db.LoadSite(big.Id).value(), big);
    // stored as the UTF-8 of the text, as another reader of the file sees it
    EXPECT_EQ(RawText(app.DbPath(), "select hex(Memo) from main where Name='big'").toLatin1(),
              big.Memo.toUtf8().toHex().toUpper());
    EXPECT_EQ(RawText(app.DbPath(), "select length(CAST(login AS BLOB)) from main where Name='big'").toLongLong(),
              big.login.toUtf8().size());
}

TEST(SiteDatabase, ListingIntoKeptRecordsOverwritesThemAndSparesSharedTexts)
{
    AppDir app;
    SiteDatabase db = OpenOrFail(app.Path());
    SiteRecord a = SampleSite("a"), b = SampleSite("b"), c = SampleSite("c");
    a.Memo = QString(5000, u'm');
    a.Id = Add(db, a);
    b.Id = Add(db, b);
    c.Id = Add(db, c);

    std::vector<SiteRecord> kept;
    ASSERT_TRUE(db.ListSitesInto(kept).ok());
    ASSERT_EQ(kept, (std::vector<SiteRecord>{a, b, c}));
    const QString sharedMemo = kept[0].Memo; // held elsewhere, e.g. by a view
    const QString sharedName = kept[1].Name;

    const struct {
        const char* what;
        std::function<void()> change;
        std::function<std::vector<SiteRecord>()> expected;
    } steps[] = {
        {"texts shorter, longer, emptied and NULL",
         [&] {
             a.Memo = u"\uFEFFshort"_qs; // the leading BOM is text too
             b.Name = QString(3000, u'名');
             b.login.clear();
             c.gbe.clear();
             ASSERT_TRUE(db.UpdateSite(a.Id, {{SiteField::Memo, a.Memo}}).ok());
             ASSERT_TRUE(db.UpdateSite(b.Id, {{SiteField::Name, b.Name}, {SiteField::login, ""}}).ok());
             RunSql(app.DbPath(), "update main set gbe = NULL where Id = 3");
         },
         [&] { return std::vector<SiteRecord>{a, b, c}; }},
        {"fewer rows", [&] { ASSERT_TRUE(db.DeleteSite(b.Id).value()); }, [&] { return std::vector<SiteRecord>{a, c}; }},
        {"more rows",
         [&] {
             b = SampleSite("again");
             b.Id = Add(db, b);
         },
         [&] { return std::vector<SiteRecord>{a, c, b}; }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        ASSERT_TRUE(db.ListSitesInto(kept).ok());
        EXPECT_EQ(kept, step.expected());
    }
    EXPECT_EQ(sharedMemo, QString(5000, u'm')) << "a text shared with its holder is not overwritten";
    EXPECT_EQ(sharedName, "b");
}

TEST(SiteDatabase, OpensAFileAnotherProgramKeepsInWalMode)
{
    AppDir app;
    {
        SiteDatabase db = OpenOrFail(app.Path());
        Add(db, SampleSite("before"));
    }
    // the other program's newest pages stay in DIY.xqd-wal while it keeps the file open
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(app.DbPath()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "pragma journal_mode=WAL; pragma wal_autocheckpoint=0; "
                                  "insert into main (Name, Memo) values ('in wal', zeroblob(20000))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_TRUE(QFile::exists(app.DbPath() + "-wal"));

    Result<SiteDatabase> db = OpenSiteDatabase(app.Path());
    ASSERT_TRUE(db.ok()) << db.error().message.toStdString();
    QStringList names;
    for (const SiteRecord& r : db.value().ListSites().value())
        names << r.Name;
    EXPECT_EQ(names, (QStringList{"before", "in wal"}));
    EXPECT_TRUE(db.value().AddSite(AllFields(SampleSite("after"))).ok());
    sqlite3_close(other);
}

TEST(SiteDatabase, ReadsATableWhoseColumnsStandInAnotherOrder)
{
    AppDir app(AppDir::WithoutTemplate);
    RunSql(app.DbPath(), "create table main (loginreturn TEXT, login TEXT, extra INTEGER, loginhttp TEXT, "
                         "checkvar TEXT, memo TEXT, action TEXT, GBE TEXT, yhdlurl TEXT, asp TEXT, xxfburl TEXT, "
                         "name TEXT, engname TEXT, ID INTEGER PRIMARY KEY);"
                         "insert into main (ID, Name, gbe, extra, Memo) values (3, 'old', 'e', 9, 'm');");

    SiteDatabase db = OpenOrFail(app.Path());
    const SiteRecord added = [&] {
        SiteRecord r = SampleSite("new");
        r.Id = Add(db, r);
        return r;
    }();
    const std::vector<SiteRecord> rows = List(db);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Id, 3);
    EXPECT_EQ(rows[0].Name, "old");
    EXPECT_EQ(rows[0].gbe, "e");
    EXPECT_EQ(rows[0].Memo, "m");
    EXPECT_EQ(rows[0].engname, "");
    EXPECT_EQ(rows[1], added);
}

} // namespace
