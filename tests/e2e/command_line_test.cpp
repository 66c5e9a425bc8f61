// The program's options, answered on a terminal without a display, in the locale's language.

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct Invocation {
    const char* what;
    QStringList arguments;
    const char* lang;
    int status;
    bool onStdout;     // the answer on stdout, else on stderr
    const char* words; // in the answer
};

void PrintTo(const Invocation& c, std::ostream* os)
{
    *os << c.what;
}

class CommandLine : public testing::TestWithParam<Invocation> {};

TEST_P(CommandLine, AnswersAndEnds)
{
    const Invocation& c = GetParam();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SITECAPTURE_PROGRAM_PATH), c.arguments);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), c.status);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const QString& answer = c.onStdout ? out : err;
    EXPECT_TRUE(answer.contains(QString::fromUtf8(c.words))) << "stdout: " << out.toStdString()
                                                             << "\nstderr: " << err.toStdString();
    EXPECT_TRUE((c.onStdout ? err : out).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLine,
    testing::Values(
        Invocation{"help_english", {QStringLiteral("--help")}, "C.UTF-8", 0, true, "--database FILE"},
        Invocation{"help_chinese", {QStringLiteral("-h")}, "zh_CN.UTF-8", 0, true, "用法：sitecapture"},
        Invocation{"help_names_the_data_folder", {QStringLiteral("--help")}, "C.UTF-8", 0, true,
                   "/.local/share/sitecapture/DIY.xqd"},
        Invocation{"version", {QStringLiteral("--version")}, "C.UTF-8", 0, true, "sitecapture " SITECAPTURE_VERSION},
        Invocation{"unknown_option", {QStringLiteral("--frobnicate")}, "C.UTF-8", 2, false,
                   "unknown option: --frobnicate"},
        Invocation{"unknown_option_chinese", {QStringLiteral("-q")}, "zh_CN.UTF-8", 2, false, "未知的选项：-q"},
        Invocation{"database_without_a_file", {QStringLiteral("--database")}, "C.UTF-8", 2, false, "--database"},
        Invocation{"empty_database", {QStringLiteral("--database=")}, "zh_CN.UTF-8", 2, false,
                   "--database 需要一个文件路径"},
        Invocation{"stray_argument", {QStringLiteral("DIY.xqd")}, "C.UTF-8", 2, false, "unexpected argument: DIY.xqd"},
        // the options come before the display: without one the program says that instead
        Invocation{"no_display", {QStringLiteral("--database=x.xqd")}, "C.UTF-8", 2, false, "DISPLAY"}),
    [](const testing::TestParamInfo<Invocation>& info) { return std::string(info.param.what); });

} // namespace
} // namespace e2e
