#include "capture/browser_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

using namespace Qt::StringLiterals;

namespace sitecapture {

Result<BrowserFactory*> LoadBrowserFactory()
{
    // Kept for the whole run; its destruction does not unload the plugin, so no page outlives
    // its code.
    static QPluginLoader loader(
        QDir(QCoreApplication::applicationDirPath()).filePath(u"sitecapture_browser"_s));
    if (auto* factory = qobject_cast<BrowserFactory*>(loader.instance()))
        return factory;
    return OperatorError{ErrorKind::BrowserUnavailable, loader.fileName(),
                         u"无法加载内嵌浏览器组件 %1，请确认它与本程序在同一目录。\n（%2）"_s
                             .arg(QDir::toNativeSeparators(loader.fileName()), loader.errorString())};
}

} // namespace sitecapture
