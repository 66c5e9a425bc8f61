#include "wizard/browser_source.h"

#include "capture/browser_loader.h"

namespace sitecapture {

Result<std::unique_ptr<BrowserControl>> PluginBrowserSource::CreateBrowser(BrowserEvents& events)
{
    Result<BrowserFactory*> factory = LoadBrowserFactory();
    if (!factory)
        return factory.error();
    return factory.value()->CreateBrowser(events);
}

} // namespace sitecapture
