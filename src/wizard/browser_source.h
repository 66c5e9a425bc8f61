#pragma once
// Where the wizard gets its browser: the plugin, loaded the first time a capture page is
// shown, or a fake in tests.

#include "base/operator_error.h"
#include "capture/browser_control.h"
#include "capture/browser_loader.h"

#include <memory>

namespace sitecapture {

class BrowserSource {
public:
    virtual ~BrowserSource() = default;
    // A new browser raising its events on `events`, or why there is none.
    virtual Result<std::unique_ptr<BrowserControl>> CreateBrowser(BrowserEvents& events) = 0;
};

// Loads the sitecapture_browser plugin on the first call.
class PluginBrowserSource final : public BrowserSource {
public:
    Result<std::unique_ptr<BrowserControl>> CreateBrowser(BrowserEvents& events) override;
    // Loads the plugin now, if it is not loaded yet.
    Result<BrowserFactory*> Load();
};

} // namespace sitecapture
