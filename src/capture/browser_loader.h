#pragma once
// The browser plugin is loaded on first use, from beside the executable: a program that
// never shows a capture page never loads Qt WebEngine.

#include "base/operator_error.h"
#include "capture/browser_control.h"

#include <QString>

namespace sitecapture {

// The factory of the loaded plugin, or why it could not be loaded. Later calls return the
// same factory. The engine draws with Qt's global shared OpenGL context, which must exist
// first (PluginBrowserSource makes it).
Result<BrowserFactory*> LoadBrowserFactory();

} // namespace sitecapture
