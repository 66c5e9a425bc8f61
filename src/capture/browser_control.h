#pragma once
// WebBrowser1 as the capture windows see it. Two implementations: the Qt WebEngine one in
// the sitecapture_browser plugin, and a fake for tests. No engine types here, and no
// QObject either: the plugin and the program each hold their own copy of this header.

#include "capture/bridge_constants.h"
#include "capture/field_tracking.h"

#include <QByteArray>
#include <QString>
#include <QtPlugin>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace sitecapture {

// The browser's three events. Raised on the user-interface thread; each is handled to
// completion before the browser goes on.
class BrowserEvents {
public:
    // Before every navigation; postData is the request body, empty when there is none.
    virtual void BeforeNavigate2(const QString& url, const QByteArray& postData) = 0;
    // While the operator works in the page: focus changes and edits of form fields.
    virtual void CommandStateChange() = 0;
    // A new status text; kStatusDone when a load has finished.
    virtual void StatusTextChange(const QString& text) = 0;

protected:
    ~BrowserEvents() = default;
};

class BrowserControl {
public:
    virtual ~BrowserControl() = default;

    // The view, to be placed into a layout. Owned by the control: destroy the control
    // before the window it sits in.
    virtual QWidget* Widget() = 0;

    // Starts loading the address exactly as typed, as if typed into an address bar.
    virtual void Navigate(const QString& address) = 0;

    virtual QString Tag() const = 0;
    virtual void SetTag(const QString& tag) = 0;

    // The focused element as of the CommandStateChange being handled; nothing when the
    // document or its focused element could not be read.
    virtual std::optional<FieldSnapshot> ActiveField() const = 0;
    // Paints that element's background yellow; no markup read later shows the paint.
    virtual void HighlightActiveField() = 0;

    // An empty message to the page's script and back; `answered` runs when the reply
    // arrives, never if the page cannot talk yet. For measurements and readiness.
    virtual void Ping(std::function<void()> answered) = 0;
};

class BrowserFactory {
public:
    virtual ~BrowserFactory() = default;
    // A browser with its own off-the-record profile, so that every login starts afresh.
    // It raises its events on `events`, which must outlive it.
    virtual std::unique_ptr<BrowserControl> CreateBrowser(BrowserEvents& events) = 0;
};

} // namespace sitecapture

#define SITECAPTURE_BROWSER_FACTORY_IID "org.sitecapture.BrowserFactory/1"
Q_DECLARE_INTERFACE(sitecapture::BrowserFactory, SITECAPTURE_BROWSER_FACTORY_IID)
