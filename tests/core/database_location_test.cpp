// Which file the program opens at start-up, and the files it refuses: the choice on facts,
// then the opening on real folders.

#include "catalogue/database_location.h"

#include "site_db_support.h"
#include "test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace sitecapture::testing;

namespace {

const QString kProgram = u"/opt/sc/bin"_qs;
const QString kData = u"/home/u/.local/share/sitecapture"_qs;

enum class Tpl { Beside, Installed };

struct Choice {
    const char* what;
    DatabaseFacts facts; // working directory, program and data folder filled in below
    DatabaseSource source;
    const char* file;
    Tpl templateAt;
};

DatabaseFacts Facts(bool writable, bool database, bool besideTemplate, bool installedTemplate)
{
    DatabaseFacts f;
    f.programDirectoryWritable = writable;
    f.programDirectoryHasDatabase = database;
    f.programDirectoryHasTemplate = besideTemplate;
    f.installedTemplateExists = installedTemplate;
    return f;
}

DatabaseFacts Named(DatabaseFacts f, std::optional<QString> option, std::optional<QString> environment)
{
    f.option = std::move(option);
    f.environment = std::move(environment);
    return f;
}

void PrintTo(const Choice& c, std::ostream* os)
{
    *os << c.what;
}

class DatabaseChoice : public ::testing::TestWithParam<Choice> {};

TEST_P(DatabaseChoice, PicksTheFileAndItsTemplate)
{
    const Choice& c = GetParam();
    DatabaseFacts facts = c.facts;
    facts.workingDirectory = u"/work/cwd"_qs;
    facts.programDirectory = kProgram;
    if (facts.dataDirectory.isNull())
        facts.dataDirectory = kData;
    const DatabaseLocation got = ChooseDatabaseLocation(facts);
    const QString file = QString::fromUtf8(c.file);
    EXPECT_EQ(got.source, c.source);
    EXPECT_EQ(got.file, file);
    EXPECT_EQ(got.templateFile, c.templateAt == Tpl::Beside ? kProgram + u"/sdk.dll"_qs : InstalledTemplate(kProgram));
    // only the data folder is ever made, and only when it is the one chosen
    EXPECT_EQ(got.directoryToMake, c.source == DatabaseSource::DataDirectory ? kData : QString());
}

const DatabaseFacts kBuildFolder = Facts(true, false, true, false);
const DatabaseFacts kInstalled = Facts(false, false, false, true);

INSTANTIATE_TEST_SUITE_P(
    Facts, DatabaseChoice,
    ::testing::Values(
        Choice{"build_folder", kBuildFolder, DatabaseSource::ProgramDirectory, "/opt/sc/bin/DIY.xqd", Tpl::Beside},
        Choice{"portable_folder_with_its_database", Facts(true, true, false, false), DatabaseSource::ProgramDirectory,
               "/opt/sc/bin/DIY.xqd", Tpl::Beside},
        // nothing to copy from anywhere: the start says that sdk.dll is missing beside the program
        Choice{"folder_without_any_template", Facts(true, false, false, false), DatabaseSource::ProgramDirectory,
               "/opt/sc/bin/DIY.xqd", Tpl::Beside},
        Choice{"installed", kInstalled, DatabaseSource::DataDirectory, "/home/u/.local/share/sitecapture/DIY.xqd",
               Tpl::Installed},
        Choice{"installed_and_run_by_root", Facts(true, false, false, true), DatabaseSource::DataDirectory,
               "/home/u/.local/share/sitecapture/DIY.xqd", Tpl::Installed},
        Choice{"installed_with_a_database_beside_it", Facts(true, true, false, true),
               DatabaseSource::ProgramDirectory, "/opt/sc/bin/DIY.xqd", Tpl::Installed},
        Choice{"read_only_portable_folder", Facts(false, true, true, false), DatabaseSource::DataDirectory,
               "/home/u/.local/share/sitecapture/DIY.xqd", Tpl::Beside},
        Choice{"no_data_folder", [] { DatabaseFacts f = kInstalled; f.dataDirectory = u""_qs; return f; }(),
               DatabaseSource::ProgramDirectory, "/opt/sc/bin/DIY.xqd", Tpl::Installed},
        Choice{"option_relative", Named(kInstalled, u"cat/../shop/my.xqd"_qs, std::nullopt), DatabaseSource::Option,
               "/work/cwd/shop/my.xqd", Tpl::Installed},
        Choice{"option_absolute", Named(kBuildFolder, u"/srv/post//DIY.xqd"_qs, std::nullopt),
               DatabaseSource::Option, "/srv/post/DIY.xqd", Tpl::Beside},
        Choice{"environment", Named(kInstalled, std::nullopt, u"/srv/env.xqd"_qs), DatabaseSource::Environment,
               "/srv/env.xqd", Tpl::Installed},
        Choice{"option_before_environment", Named(kBuildFolder, u"/srv/opt.xqd"_qs, u"/srv/env.xqd"_qs),
               DatabaseSource::Option, "/srv/opt.xqd", Tpl::Beside}),
    [](const ::testing::TestParamInfo<Choice>& info) { return std::string(info.param.what); });

// An installed copy: the executable in bin/, the template where it installs it.
struct InstalledCopy {
    QTemporaryDir root;
    QString bin = root.filePath(u"usr/bin"_qs);
    QString data = root.filePath(u"home/.local/share/sitecapture"_qs);
    InstalledCopy()
    {
        const QString tpl = InstalledTemplate(bin);
        EXPECT_TRUE(QDir().mkpath(bin));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(tpl).path()));
        EXPECT_TRUE(QFile::copy(SITECAPTURE_TEMPLATE_PATH, tpl));
    }
    DatabaseLocation Choose(std::optional<QString> option = std::nullopt) const
    {
        return ChooseDatabaseLocation(GatherDatabaseFacts(std::move(option), std::nullopt, bin, data));
    }
};

TEST(DatabaseLocation, InstalledCopyKeepsItsCatalogueInTheDataFolder)
{
    InstalledCopy copy;
    const DatabaseLocation first = copy.Choose();
    ASSERT_EQ(first.source, DatabaseSource::DataDirectory);
    qint64 id = 0;
    {
        Result<SiteDatabase> db = OpenDatabaseAt(first);
        ASSERT_TRUE(db) << db.error().message.toStdString();
        EXPECT_EQ(db.value().Path(), copy.data + u"/DIY.xqd"_qs);
        Result<qint64> added = db.value().AddSite(AllFields(SampleSite(u"甲"_qs)));
        ASSERT_TRUE(added);
        id = added.value();
    }
    EXPECT_TRUE(QDir(copy.bin).isEmpty()) << "nothing beside the executable";
    // the next start finds the same file, and the same rows
    Result<SiteDatabase> again = OpenDatabaseAt(copy.Choose());
    ASSERT_TRUE(again) << again.error().message.toStdString();
    Result<std::optional<SiteRecord>> row = again.value().LoadSite(id);
    ASSERT_TRUE(row && row.value());
    EXPECT_EQ(row.value()->Name, u"甲"_qs);
}

TEST(DatabaseLocation, NamedFileIsMadeFromTheTemplateUnderItsOwnName)
{
    InstalledCopy copy;
    const QString file = copy.root.filePath(u"shop/目录.xqd"_qs);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    Result<SiteDatabase> db = OpenDatabaseAt(copy.Choose(file));
    ASSERT_TRUE(db) << db.error().message.toStdString();
    EXPECT_EQ(RawText(file, "select count(*) from main"), u"0"_qs);
    EXPECT_FALSE(QFileInfo::exists(copy.data)) << "the data folder is made only when it is used";
}

struct Refusal {
    const char* what;
    const char* file;        // under the scratch root
    QByteArray content;      // written there when not empty
    bool directory;          // made as a folder instead
    ErrorKind kind;
    const char* cause;       // a word of the message
};

void PrintTo(const Refusal& c, std::ostream* os)
{
    *os << c.what;
}

class DatabaseRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(DatabaseRefusal, SaysWhyAndMakesNothing)
{
    const Refusal& c = GetParam();
    InstalledCopy copy;
    const QString file = copy.root.filePath(QString::fromUtf8(c.file));
    if (c.directory) {
        ASSERT_TRUE(QDir().mkpath(file));
    } else if (!c.content.isEmpty()) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
    }
    const auto before = Snapshot(copy.root.path());
    Result<SiteDatabase> db = OpenDatabaseAt(copy.Choose(file));
    ASSERT_FALSE(db);
    EXPECT_EQ(db.error().kind, c.kind) << db.error().message.toStdString();
    EXPECT_TRUE(db.error().message.contains(file)) << db.error().message.toStdString();
    EXPECT_TRUE(db.error().message.contains(QString::fromUtf8(c.cause))) << db.error().message.toStdString();
    EXPECT_EQ(Snapshot(copy.root.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DatabaseRefusal,
    ::testing::Values(Refusal{"missing_folder", "nowhere/DIY.xqd", {}, false, ErrorKind::NotWritable, "nowhere"},
                      Refusal{"a_directory", "folder.xqd", {}, true, ErrorKind::Damaged, "不是普通文件"},
                      Refusal{"damaged_file", "bad.xqd", QByteArray(4096, 'x'), false, ErrorKind::Damaged, "损坏"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.what); });

// A catalogue that could be read but never saved to is refused at the start, not at the
// first save. Tried by a child that is not root, for whom permissions apply.
TEST(DatabaseLocation, FileThatCannotBeSavedToIsRefusedAtTheStart)
{
    const struct {
        const char* what;
        QFileDevice::Permissions dir;
        QFileDevice::Permissions file;
        const char* cause;
    } cases[] = {
        {"folder without write permission", QFileDevice::Permissions(0x5555), QFileDevice::Permissions(0x6666),
         "不可写"},
        {"read-only file", QFileDevice::Permissions(0x7777), QFileDevice::Permissions(0x4444), "只读文件"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        ASSERT_TRUE(QFile::setPermissions(root.path(), QFileDevice::Permissions(0x7755)));
        const QString dir = root.filePath(u"post"_qs);
        const QString file = dir + u"/DIY.xqd"_qs;
        ASSERT_TRUE(QDir().mkdir(dir));
        ASSERT_TRUE(QFile::copy(SITECAPTURE_TEMPLATE_PATH, file));
        ASSERT_TRUE(QFile::setPermissions(file, c.file));
        ASSERT_TRUE(QFile::setPermissions(dir, c.dir));
        const auto before = Snapshot(dir);

        QProcess child;
        child.start(SITECAPTURE_DB_CHILD_PATH, {u"open-at"_qs, file, u"/nowhere/sdk.dll"_qs});
        ASSERT_TRUE(child.waitForFinished(20000));
        QFile::setPermissions(dir, QFileDevice::Permissions(0x7755));
        const QString said = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        if (said.startsWith(u"skip "_qs))
            GTEST_SKIP() << said.toStdString();
        EXPECT_EQ(child.exitCode(), 1) << said.toStdString();
        EXPECT_TRUE(said.startsWith(u"error %1 "_qs.arg(int(ErrorKind::NotWritable)))) << said.toStdString();
        EXPECT_TRUE(said.contains(file)) << said.toStdString();
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.cause))) << said.toStdString();
        EXPECT_EQ(Snapshot(dir), before);
    }
}

} // namespace
