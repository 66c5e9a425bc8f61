#include "capture/browser_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

namespace sitecapture {

void PrepareForBrowserPlugin()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

BrowserFactory* LoadBrowserFactory(QString* error)
{
    // Kept for the whole run; its destruction does not unload the plugin, so no page outlives
    // its code.
    static QPluginLoader loader(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sitecapture_browser")));
    auto* factory = qobject_cast<BrowserFactory*>(loader.instance());
    if (!factory && error) {
        *error = QStringLiteral(u"无法加载内嵌浏览器组件 sitecapture_browser，请确认它与本程序在同一目录。\n")
            + loader.errorString();
    }
    return factory;
}

} // namespace sitecapture
