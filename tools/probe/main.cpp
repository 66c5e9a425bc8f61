// sitecapture-probe: the capture text functions over JSON lines on stdin/stdout.

#include "catalogue/address_encoding.h"
#include "capture/label_window.h"
#include "capture/submission_capture.h"
#include "capture/url_decode.h"
#include "capture/capture_model.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <iostream>
#include <string>

using namespace sitecapture;

namespace {

QJsonObject Error(const QString& why)
{
    return QJsonObject{{"error", why}};
}

bool ReadText(const QJsonObject& req, const char* key, QString& out)
{
    const QJsonValue v = req.value(QLatin1String(key));
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

QJsonObject Template(const QJsonObject& req)
{
    QString data;
    if (!ReadText(req, "data", data))
        return Error("\"data\" must be a string");
    const QJsonValue fields = req.value("fields");
    if (!fields.isArray())
        return Error("\"fields\" must be an array of [name, value, token]");
    FieldMap map;
    for (const QJsonValue& f : fields.toArray()) {
        const QJsonArray row = f.toArray();
        if (!f.isArray() || row.size() != 3 || !row[0].isString() || !row[1].isString() ||
            !row[2].isString())
            return Error("each field must be [name, value, token] of strings");
        map.AddEntry(row[0].toString(), row[1].toString(), row[2].toString());
    }
    return QJsonObject{{"result", TemplatePostData(data, map)}};
}

QJsonObject Handle(const QByteArray& line)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
    if (err.error != QJsonParseError::NoError)
        return Error("not JSON: " + err.errorString());
    if (!doc.isObject())
        return Error("expected a JSON object");
    const QJsonObject req = doc.object();
    const QString op = req.value("op").toString();
    QString text;
    if (op == "urldecode")
        return ReadText(req, "text", text) ? QJsonObject{{"result", UrlDecode(text)}}
                                            : Error("\"text\" must be a string");
    if (op == "template")
        return Template(req);
    if (op == "label") {
        if (!ReadText(req, "markup", text))
            return Error("\"markup\" must be a string");
        const QString window = LabelWindow(text);
        const auto label = ProposePlaceholder(window);
        return QJsonObject{{"window", window},
                           {"label", label ? QJsonValue(*label) : QJsonValue(QJsonValue::Null)}};
    }
    if (op == "strip_http")
        return ReadText(req, "text", text) ? QJsonObject{{"result", StripHttp(text)}}
                                            : Error("\"text\" must be a string");
    if (op == "login_http")
        return ReadText(req, "text", text) ? QJsonObject{{"result", LoginHttp(text)}}
                                            : Error("\"text\" must be a string");
    if (op.isEmpty())
        return Error("missing \"op\"");
    return Error("unknown op: " + op);
}

} // namespace

int main()
{
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const QByteArray answer =
            QJsonDocument(Handle(QByteArray::fromStdString(line))).toJson(QJsonDocument::Compact);
        std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return 0;
}
