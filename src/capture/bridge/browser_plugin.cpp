// The sitecapture_browser plugin: hands out WebEngine browsers to the program that loaded it.

#include "capture/bridge/web_engine_browser.h"
#include "capture/bridge_constants.h"

#include <QFile>
#include <QObject>
#include <QtPlugin>

namespace sitecapture {
namespace {

QString ReadResource(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return WithBridgeConstants(QString::fromUtf8(f.readAll()));
}

} // namespace

class WebEngineBrowserFactory final : public QObject, public BrowserFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID SITECAPTURE_BROWSER_FACTORY_IID)
    Q_INTERFACES(sitecapture::BrowserFactory)

public:
    std::unique_ptr<BrowserControl> CreateBrowser(BrowserEvents& events) override
    {
        if (scripts_.isolated.isEmpty()) {
            const QString formFields = ReadResource(QStringLiteral(":/sitecapture/bridge/form_fields.js"));
            const QString fillForm = ReadResource(QStringLiteral(":/sitecapture/bridge/fill_form.js"));
            const auto withFormFields = [&formFields, &fillForm](QString script) {
                return script.replace(QStringLiteral("@FORM_FIELDS_JS@"), formFields)
                    .replace(QStringLiteral("@FILL_FORM_JS@"), fillForm);
            };
            // The web channel library ships inside Qt WebEngine itself.
            scripts_.isolated = ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + u'\n'
                + withFormFields(ReadResource(QStringLiteral(":/sitecapture/bridge/page_script.js")));
            scripts_.mainWorld = ReadResource(QStringLiteral(":/sitecapture/bridge/main_world_hook.js"));
            scripts_.reading = withFormFields(ReadResource(QStringLiteral(":/sitecapture/bridge/read_form.js")));
        }
        return std::make_unique<WebEngineBrowser>(events, scripts_);
    }

private:
    BridgeScripts scripts_;
};

} // namespace sitecapture

#include "browser_plugin.moc"
