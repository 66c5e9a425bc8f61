// sitecapture: the site list window, from which the wizard adds and edits sites.

#include "capture/browser_loader.h"
#include "catalogue/site_database.h"
#include "wizard/browser_source.h"
#include "wizard/keyboard_return.h"
#include "wizard/link_opener.h"
#include "wizard/operator_message.h"
#include "wizard/site_list_window.h"
#include "wizard/wizard_session.h"

#include <QApplication>
#include <QFont>

#include <cstdio>
#include <cstdlib>

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
    if (!HasDisplay()) {
        std::fputs("sitecapture: 没有可用的图形显示（DISPLAY 未设置），无法打开窗口。\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"sitecapture"_s);
    QApplication::setApplicationDisplayName(QString::fromUtf16(kProductTitle));
    QApplication::setFont(ProgramFont());
    KeyboardReturn keyboardReturn;
    app.installEventFilter(&keyboardReturn);

    Result<SiteDatabase> database = OpenSiteDatabase(QCoreApplication::applicationDirPath());
    if (!database)
        return Fail(database.error());
    Module1 module;
    PluginBrowserSource browsers;
    DesktopLinkOpener links;
    WizardServices services{database.value(), module, browsers, links};

    Form2 list(services);
    const Status loaded = list.Form_Load();
    if (!loaded)
        return Fail(loaded.error());
    list.show();
    // Without a window manager nothing gives a new window the keyboard: it asks for it.
    list.activateWindow();
    return app.exec();
}
