// The program started from a directory whose database cannot be opened: one message naming
// the file and the cause, then an exit status that is not 0.

#include "test_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct BadStart {
    const char* what;
    bool withTemplate;
    QByteArray database; // written as DIY.xqd when not empty
    const char* file;    // named in the message
    const char* cause;   // a word of the cause
};

class StartUp : public testing::TestWithParam<BadStart> {};

TEST_P(StartUp, ShowsOneMessageAndFails)
{
    const BadStart& c = GetParam();
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("sitecapture"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SITECAPTURE_PROGRAM_PATH), program));
    if (c.withTemplate) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(SITECAPTURE_TEMPLATE_PATH), dir.filePath(QStringLiteral("sdk.dll"))));
    }
    if (!c.database.isEmpty()) {
        QFile f(dir.filePath(QStringLiteral("DIY.xqd")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.database);
    }

    QProcess p;
    p.start(program, {});
    ASSERT_TRUE(p.waitForStarted());
    // The message box waits for its OK: press it as the operator would.
    bool answered = false;
    for (int attempt = 0; attempt < 100 && !answered; ++attempt) {
        QProcess find;
        find.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                                QStringLiteral("--pid"), QString::number(p.processId()),
                                                QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                                QString::fromUtf8("网站收录向导")});
        find.waitForFinished(5000);
        const QByteArray window = find.readAllStandardOutput().trimmed().split('\n').value(0);
        if (!window.isEmpty()) {
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QString::fromLatin1(window)});
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
            answered = p.waitForFinished(1000);
        }
    }
    ASSERT_TRUE(answered || p.waitForFinished(10000)) << "the program did not end";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(p.exitCode(), 0);
    const QString said = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(said.contains(QString::fromUtf8(c.file))) << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromUtf8(c.cause))) << said.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).contains(QStringLiteral("DIY.xqd")), !c.database.isEmpty())
        << "nothing is created when the template is missing";
}

INSTANTIATE_TEST_SUITE_P(
    Databases, StartUp,
    testing::Values(BadStart{"template_missing", false, {}, "sdk.dll", "模板文件"},
                    BadStart{"database_damaged", true, QByteArray(4096, 'x'), "DIY.xqd", "损坏"}),
    [](const testing::TestParamInfo<BadStart>& info) { return std::string(info.param.what); });

} // namespace
} // namespace e2e
