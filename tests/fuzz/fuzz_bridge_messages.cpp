#include "capture/bridge_messages.h"
#include "capture/field_snapshots.h"
#include "capture/form_encoding.h"
#include "capture/submission_matcher.h"
#include "capture/submitted_form.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <variant>

using namespace sitecapture;

namespace {

constexpr QByteArrayView kBoundary = "----WebKitFormBoundaryfuzzfuzzfuzzfuzz";

bool IsUrlEncodedByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '*' || c == '+' || c == '%' || c == '&' || c == '=';
}

// Whatever a page sends, the body is what the engine would make of those entries.
void CheckBody(const SubmitMessage& m, const QByteArray& body)
{
    switch (m.enctype) {
    case FormEnctype::UrlEncoded:
        for (char c : body)
            if (!IsUrlEncodedByte(c))
                std::abort();
        // separators only between entries: every '&' and '=' of a name or value is escaped
        if (body.count('&') != (m.entries.isEmpty() ? 0 : m.entries.size() - 1) || body.count('=') != m.entries.size())
            std::abort();
        break;
    case FormEnctype::Multipart:
        if (!body.endsWith("--" + kBoundary.toByteArray() + "--\r\n")
            || body.count("Content-Disposition: form-data; name=\"") < m.entries.size())
            std::abort();
        break;
    case FormEnctype::TextPlain:
        if (body.count("\r\n") < m.entries.size())
            std::abort();
        break;
    }
}

} // namespace

// Input: JSON, one message or an array of them, as the page script would send them. Each
// goes through the parser; markup and fields through the snapshot store, submissions
// through the body encoder and the matcher, their forms through the captions; and through
// the parser of a reloaded form's reading.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QJsonArray messages;
    if (doc.isArray())
        messages = doc.array();
    else if (doc.isObject())
        messages.append(doc.object());
    FieldSnapshots snapshots;
    SubmissionMatcher matcher;
    qint64 now = 0;
    for (const QJsonValue& v : messages) {
        if (const auto reading = ParseFormReading(v))
            (void)ReadFields(reading->fields);
        const BridgeMessage message = ParseBridgeMessage(v);
        if (const auto* markup = std::get_if<MarkupMessage>(&message)) {
            snapshots.Apply(*markup);
        } else if (const auto* field = std::get_if<FieldMessage>(&message)) {
            // line breaks as the form submits them: CR LF only
            const QString value = snapshots.Take(*field).value;
            const auto at = [&](qsizetype i) { return i >= 0 && i < value.size() ? value[i] : QChar(); };
            for (qsizetype i = 0; i < value.size(); ++i)
                if ((value[i] == u'\r' && at(i + 1) != u'\n') || (value[i] == u'\n' && at(i - 1) != u'\r'))
                    std::abort();
        } else if (const auto* submit = std::get_if<SubmitMessage>(&message)) {
            const QByteArray body = EncodeFormBody(submit->entries, submit->enctype, FormCharset(submit->charset), kBoundary);
            CheckBody(*submit, body);
            const QUrl url(submit->url);
            const std::optional<QUrl> early = matcher.Submitted(url, body, now);
            const std::optional<QByteArray> paired = matcher.Requested(url, true, "POST", now + 1);
            // with nothing requested before, the body waits and goes to the first POST form request
            if (early || paired != body)
                std::abort();
            now += 2;
            // every described field comes out, its caption cut from the page's own markup
            if (submit->form && DescribedFields(*submit->form).size() != std::size_t(submit->form->fields.size()))
                std::abort();
        } else if (std::holds_alternative<HelloMessage>(message)) {
            snapshots.Clear();
        }
    }
    return 0;
}
