// sitecapture: the site list window, from which the wizard adds and edits sites.

#include "app/command_line.h"
#include "capture/browser_loader.h"
#include "catalogue/database_location.h"
#include "catalogue/site_database.h"
#include "wizard/browser_source.h"
#include "wizard/keyboard_return.h"
#include "wizard/link_opener.h"
#include "wizard/operator_message.h"
#include "wizard/site_list_window.h"
#include "wizard/wizard_session.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Without a display the toolkit would abort with a long trace; one line says it better.
bool HasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

QFont ProgramFont()
{
    QFont font(u"宋体"_s, 9);
    font.setFamilies({u"宋体"_s, u"SimSun"_s, u"Noto Sans CJK SC"_s,
                      u"WenQuanYi Micro Hei"_s});
    return font;
}

void Print(std::FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}

QString DataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::optional<QString> DatabaseVariable()
{
    const QString name = QString::fromUtf16(sitecapture::kDatabaseVariable);
    if (!qEnvironmentVariableIsSet(name.toLatin1().constData()))
        return std::nullopt;
    return qEnvironmentVariable(name.toLatin1().constData());
}

// A start that cannot go on: the message in a box, and on the terminal for whoever started
// the program from one.
int Fail(const sitecapture::OperatorError& error)
{
    std::fprintf(stderr, "sitecapture: %s\n", qPrintable(error.message));
    sitecapture::ShowOperatorMessage(nullptr, error.message);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace sitecapture;
    QCoreApplication::setApplicationName(u"sitecapture"_s);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool chinese = SpeaksChinese();
    const CommandLine command = ParseCommandLine(arguments, chinese);
    switch (command.action) {
    case CommandAction::Help:
        Print(stdout, HelpText(chinese, QDir(DataDirectory()).filePath(QString::fromUtf16(kSiteDatabaseFile))));
        return 0;
    case CommandAction::Version:
        Print(stdout, VersionText());
        return 0;
    case CommandAction::Refuse:
        Print(stderr, QStringLiteral("sitecapture: ") + command.refusal + u'\n');
        return 2;
    case CommandAction::Run:
        break;
    }
    if (!HasDisplay()) {
        std::fputs("sitecapture: 没有可用的图形显示（DISPLAY 未设置），无法打开窗口。\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf16(kProductTitle));
    QApplication::setFont(ProgramFont());
    KeyboardReturn keyboardReturn;
    app.installEventFilter(&keyboardReturn);

    QGuiApplication::setDesktopFileName(QStringLiteral(SITECAPTURE_APP_ID));
    Result<SiteDatabase> database = OpenDatabaseAt(ChooseDatabaseLocation(GatherDatabaseFacts(
        command.database, DatabaseVariable(), QCoreApplication::applicationDirPath(), DataDirectory())));
    if (!database)
        return Fail(database.error());
    Module1 module;
    PluginBrowserSource browsers;
    DesktopLinkOpener links;
    WizardServices services{database.value(), module, browsers, links};

    Form2 list(services);
    // The title names the file, as several catalogues may be in use.
    list.setWindowTitle(QStringLiteral(u"%1 - %2").arg(QDir::toNativeSeparators(database.value().Path()),
                                                       QString::fromUtf16(kProductTitle)));
    const Status loaded = list.Form_Load();
    if (!loaded)
        return Fail(loaded.error());
    list.show();
    // Without a window manager nothing gives a new window the keyboard: it asks for it.
    list.activateWindow();
    return app.exec();
}
