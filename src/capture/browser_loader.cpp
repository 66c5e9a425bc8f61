#include "capture/browser_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

using namespace Qt::StringLiterals;

#ifndef SITECAPTURE_PLUGIN_FROM_PROGRAM
#define SITECAPTURE_PLUGIN_FROM_PROGRAM "../lib/sitecapture"
#endif

namespace sitecapture {
namespace {

// Beside the executable in a build or portable folder; where an installed copy keeps it
// otherwise. When it is in neither, the message names the first.
QString BrowserPluginFile()
{
    const QDir program(QCoreApplication::applicationDirPath());
    const QString name = u"sitecapture_browser"_s;
    for (const QString& dir : {program.path(), program.filePath(QString::fromUtf8(SITECAPTURE_PLUGIN_FROM_PROGRAM))}) {
        const QString file = QDir::cleanPath(dir + u'/' + name);
        if (QFileInfo::exists(file + u".so"_s))
            return file;
    }
    return program.filePath(name);
}

} // namespace

Result<BrowserFactory*> LoadBrowserFactory()
{
    // Kept for the whole run; its destruction does not unload the plugin, so no page outlives
    // its code.
    static QPluginLoader loader(BrowserPluginFile());
    if (auto* factory = qobject_cast<BrowserFactory*>(loader.instance()))
        return factory;
    return OperatorError{ErrorKind::BrowserUnavailable, loader.fileName(),
                         u"无法加载内嵌浏览器组件 %1，请确认它与本程序在同一目录。\n（%2）"_s
                             .arg(QDir::toNativeSeparators(loader.fileName()), loader.errorString())};
}

} // namespace sitecapture
