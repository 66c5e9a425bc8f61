#include "wizard/browser_source.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QtGui/qtguiglobal.h>

// Qt's global shared context, exported by QtGui for the modules that draw with it.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace sitecapture {
namespace {

// The engine draws with the global shared context. Made here, when the first capture page
// needs it, rather than by the application at start-up: that would load the system's OpenGL
// driver (with a software one, ~50 MB and ~40 ms) before the list window could show.
void ShareOpenGLContexts()
{
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
}

} // namespace

Result<BrowserFactory*> PluginBrowserSource::Load()
{
    ShareOpenGLContexts();
    return LoadBrowserFactory();
}

Result<std::unique_ptr<BrowserControl>> PluginBrowserSource::CreateBrowser(BrowserEvents& events)
{
    Result<BrowserFactory*> factory = Load();
    if (!factory)
        return factory.error();
    return factory.value()->CreateBrowser(events);
}

} // namespace sitecapture
