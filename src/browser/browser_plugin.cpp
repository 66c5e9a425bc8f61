// The sitecapture_browser plugin: hands out WebEngine browsers to the program that loaded it.

#include "browser/web_engine_browser.h"
#include "capture/bridge_constants.h"

#include <QFile>
#include <QObject>
#include <QtPlugin>

using namespace Qt::StringLiterals;

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
            const QString formFields = ReadResource(u":/sitecapture/bridge/form_fields.js"_s);
            const QString fillForm = ReadResource(u":/sitecapture/bridge/fill_form.js"_s);
            const auto withFormFields = [&formFields, &fillForm](QString script) {
                return script.replace(u"@FORM_FIELDS_JS@"_s, formFields).replace(u"@FILL_FORM_JS@"_s, fillForm);
            };
            // The web channel library ships inside Qt WebEngine itself.
            scripts_.isolated = ReadResource(u":/qtwebchannel/qwebchannel.js"_s) + u'\n'
                + withFormFields(ReadResource(u":/sitecapture/bridge/page_script.js"_s));
            scripts_.mainWorld = ReadResource(u":/sitecapture/bridge/main_world_hook.js"_s);
            scripts_.reading = withFormFields(ReadResource(u":/sitecapture/bridge/read_form.js"_s));
        }
        return std::make_unique<WebEngineBrowser>(events, scripts_);
    }

private:
    BridgeScripts scripts_;
};

} // namespace sitecapture

#include "browser_plugin.moc"
