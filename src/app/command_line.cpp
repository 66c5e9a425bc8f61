#include "app/command_line.h"

#include "catalogue/database_location.h"

#include <QCommandLineParser>
#include <QLocale>

using namespace Qt::StringLiterals;

#ifndef SITECAPTURE_VERSION
#define SITECAPTURE_VERSION "0"
#endif

namespace sitecapture {
namespace {

QString Tr(bool chinese, const char16_t* zh, const char* en)
{
    return chinese ? QString::fromUtf16(zh) : QString::fromUtf8(en);
}

QString TryHelp(bool chinese)
{
    return Tr(chinese, u"用 sitecapture --help 查看可用的选项。", "Try 'sitecapture --help' for the options.");
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments, bool chinese)
{
    // The descriptions are not used: HelpText says it in the operator's language.
    const QCommandLineOption database(u"database"_s, {}, u"file"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption version(QStringList{u"v"_s, u"version"_s});
    QCommandLineParser parser;
    parser.addOptions({database, help, version});

    CommandLine line;
    const auto refuse = [&](const QString& why) {
        line.action = CommandAction::Refuse;
        line.refusal = why + u'\n' + TryHelp(chinese);
        return line;
    };
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            const QString dashed = (name.size() == 1 ? u"-"_s : u"--"_s) + name;
            return refuse(Tr(chinese, u"未知的选项：", "unknown option: ") + dashed);
        }
        return refuse(Tr(chinese, u"选项有误：", "bad option: ") + parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(Tr(chinese, u"多余的参数：", "unexpected argument: ") + parser.positionalArguments().constFirst());
    if (parser.isSet(help)) {
        line.action = CommandAction::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandAction::Version;
        return line;
    }
    if (parser.isSet(database)) {
        line.database = parser.values(database).constLast();
        if (line.database->isEmpty())
            return refuse(Tr(chinese, u"--database 需要一个文件路径", "--database needs a file path"));
    }
    return line;
}

QString HelpText(bool chinese, const QString& dataFile)
{
    const QString variable = QString::fromUtf16(kDatabaseVariable);
    if (chinese)
        return QStringLiteral(u"用法：sitecapture [选项]\n"
                              u"网站收录向导：把商贸网站收录到信息发布软件的站点数据库 DIY.xqd。\n"
                              u"\n"
                              u"选项：\n"
                              u"  --database 文件   打开这个站点数据库；文件不存在时从模板 sdk.dll 创建，\n"
                              u"                    已有的文件从不覆盖。也可以用环境变量 %1 指定。\n"
                              u"  -h, --help        显示本说明后退出。\n"
                              u"  -v, --version     显示版本后退出。\n"
                              u"\n"
                              u"没有指定数据库时，程序所在的目录可写并且放着（或可以放）DIY.xqd 时用那里的，\n"
                              u"否则用 %2（第一次启动时创建）。\n"
                              u"数据库无法使用时，程序说明原因并以状态 1 退出；选项有误时以状态 2 退出。\n")
            .arg(variable, dataFile);
    return QStringLiteral("Usage: sitecapture [options]\n"
                          "Site capture wizard: adds trade sites to DIY.xqd, the site database of the posting product.\n"
                          "\n"
                          "Options:\n"
                          "  --database FILE   open this site database; a missing file is made from the\n"
                          "                    template sdk.dll, an existing one is never replaced.\n"
                          "                    The variable %1 does the same.\n"
                          "  -h, --help        show this help and exit.\n"
                          "  -v, --version     show the version and exit.\n"
                          "\n"
                          "Without either, DIY.xqd beside the program is used when that folder is writable\n"
                          "and holds (or may hold) it; otherwise %2 (made on first start).\n"
                          "A database that cannot be used is explained and ends with status 1; bad options\n"
                          "end with status 2.\n")
        .arg(variable, dataFile);
}

QString VersionText()
{
    return QStringLiteral("sitecapture " SITECAPTURE_VERSION "\n");
}

bool SpeaksChinese()
{
    return QLocale::system().language() == QLocale::Chinese;
}

} // namespace sitecapture
