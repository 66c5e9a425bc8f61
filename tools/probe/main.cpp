// sitecapture-probe: the capture text functions over JSON lines on stdin/stdout.

#include "catalogue/address_encoding.h"
#include "capture/capture_checks.h"
#include "capture/label_window.h"
#include "capture/placeholders.h"
#include "capture/second_opinion.h"
#include "capture/submission_capture.h"
#include "capture/test_values.h"
#include "capture/text_before.h"
#include "capture/url_decode.h"
#include "capture/capture_model.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

using namespace sitecapture;

namespace {

QJsonObject Error(const QString& why)
{
    return QJsonObject{{u"error"_s, why}};
}

bool ReadText(const QJsonObject& req, const char* key, QString& out)
{
    const QJsonValue v = req.value(QLatin1StringView(key));
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

QJsonObject Template(const QJsonObject& req)
{
    QString data;
    if (!ReadText(req, "data", data))
        return Error(u"\"data\" must be a string"_s);
    const QJsonValue fields = req.value("fields"_L1);
    if (!fields.isArray())
        return Error(u"\"fields\" must be an array of [name, value, token]"_s);
    FieldMap map;
    for (const QJsonValue& f : fields.toArray()) {
        const QJsonArray row = f.toArray();
        if (!f.isArray() || row.size() != 3 || !row[0].isString() || !row[1].isString() ||
            !row[2].isString())
            return Error(u"each field must be [name, value, token] of strings"_s);
        map.AddEntry(row[0].toString(), row[1].toString(), row[2].toString());
    }
    return QJsonObject{{u"result"_s, TemplatePostData(data, map)}};
}

// The "check" op. Absent keys and null give empty lists, empty texts and false; a value of
// another JSON type is malformed.
struct Malformed {
    QString why;
};

bool Absent(const QJsonValue& v)
{
    return v.isUndefined() || v.isNull();
}

QString TextOf(const QJsonObject& o, const char* key, const QString& where)
{
    const QJsonValue v = o.value(QLatin1StringView(key));
    if (Absent(v))
        return {};
    if (!v.isString())
        throw Malformed{u"\"%1%2\" must be a string"_s.arg(where, QLatin1StringView(key))};
    return v.toString();
}

bool FlagOf(const QJsonObject& o, const char* key, const QString& where)
{
    const QJsonValue v = o.value(QLatin1StringView(key));
    if (Absent(v))
        return false;
    if (!v.isBool())
        throw Malformed{u"\"%1%2\" must be true or false"_s.arg(where, QLatin1StringView(key))};
    return v.toBool();
}

QJsonObject ObjectOf(const QJsonValue& v, const QString& where)
{
    if (Absent(v))
        return {};
    if (!v.isObject())
        throw Malformed{u"\"%1\" must be an object"_s.arg(where)};
    return v.toObject();
}

QJsonArray ArrayOf(const QJsonObject& o, const char* key, const QString& where)
{
    const QJsonValue v = o.value(QLatin1StringView(key));
    if (Absent(v))
        return {};
    if (!v.isArray())
        throw Malformed{u"\"%1%2\" must be a list"_s.arg(where, QLatin1StringView(key))};
    return v.toArray();
}

qint64 IntegerOf(const QJsonValue& v, const QString& where)
{
    const double d = v.toDouble();
    // Beyond 2^53 a JSON number no longer says which integer it is.
    if (!v.isDouble() || d != std::trunc(d) || std::fabs(d) > 9007199254740992.0)
        throw Malformed{u"\"%1\" must be an integer"_s.arg(where)};
    return v.toInteger();
}

CheckedForm FormOf(const QJsonObject& req, const char* key)
{
    const QString where = QLatin1StringView(key);
    const QJsonObject o = ObjectOf(req.value(where), where);
    CheckedForm form;
    form.action = TextOf(o, "action", where + u'.');
    form.templateData = TextOf(o, "template", where + u'.');
    form.success = TextOf(o, "success", where + u'.');
    const QJsonArray fields = ArrayOf(o, "fields", where + u'.');
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString at = u"%1.fields[%2]"_s.arg(where).arg(i);
        if (!fields[i].isObject())
            throw Malformed{u"\"%1\" must be an object"_s.arg(at)};
        const QJsonObject f = fields[i].toObject();
        const QString prefix = at + u'.';
        CheckedField field;
        field.name = TextOf(f, "name", prefix);
        field.id = TextOf(f, "id", prefix);
        field.type = TextOf(f, "type", prefix);
        field.readonly = FlagOf(f, "readonly", prefix);
        field.value = TextOf(f, "value", prefix);
        if (!Absent(f.value("reloaded"_L1)))
            field.reloaded = TextOf(f, "reloaded", prefix);
        field.typed = FlagOf(f, "typed", prefix);
        field.caption = TextOf(f, "caption", prefix);
        field.imageNear = TextOf(f, "image_near", prefix);
        form.fields.push_back(std::move(field));
    }
    return form;
}

CheckInput CheckInputOf(const QJsonObject& req)
{
    CheckInput in;
    in.login = FormOf(req, "login");
    in.publish = FormOf(req, "publish");
    const QJsonArray mapped = ArrayOf(req, "mapped", {});
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const QJsonArray row = mapped[i].toArray();
        if (!mapped[i].isArray() || row.size() != 3 || !row[0].isString() || !row[1].isString() ||
            !row[2].isString())
            throw Malformed{u"\"mapped[%1]\" must be [name, value, token] of strings"_s.arg(i)};
        in.mapped.push_back({row[0].toString(), row[1].toString(), row[2].toString()});
    }
    const QJsonObject site = ObjectOf(req.value("site"_L1), u"site"_s);
    in.asp = TextOf(site, "asp", u"site."_s);
    in.xxfburl = TextOf(site, "xxfburl", u"site."_s);
    const QJsonArray stored = ArrayOf(req, "stored", {});
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QString at = u"stored[%1]"_s.arg(i);
        if (!stored[i].isObject())
            throw Malformed{u"\"%1\" must be an object"_s.arg(at)};
        const QJsonObject s = stored[i].toObject();
        if (Absent(s.value("id"_L1)))
            throw Malformed{u"\"%1\" has no id"_s.arg(at)};
        StoredSite site;
        site.id = IntegerOf(s.value("id"_L1), at + u".id"_s);
        site.name = TextOf(s, "name", at + u'.');
        site.asp = TextOf(s, "asp", at + u'.');
        site.xxfburl = TextOf(s, "xxfburl", at + u'.');
        in.stored.push_back(std::move(site));
    }
    const QJsonValue editing = req.value("editing_id"_L1);
    if (!Absent(editing))
        in.editingId = IntegerOf(editing, u"editing_id"_s);
    return in;
}

// The "propose" op: the rules on the markup's label window, else the second opinion.
QJsonObject Propose(const QJsonObject& req)
{
    const QString markup = TextOf(req, "markup", {});
    const QJsonObject f = ObjectOf(req.value("field"_L1), u"field"_s);
    const QString at = u"field."_s;
    FieldEvidence field;
    field.tag = TextOf(f, "tag", at);
    field.name = TextOf(f, "name", at);
    field.id = TextOf(f, "id", at);
    field.type = TextOf(f, "type", at);
    field.placeholder = TextOf(f, "placeholder", at);
    field.ariaLabel = TextOf(f, "aria_label", at);
    field.title = TextOf(f, "title", at);
    field.label = TextOf(f, "label", at);
    // Absent, it is read from the markup as the page script reads it from the page.
    field.before = f.contains("before"_L1) ? TextOf(f, "before", at) : TextBeforeMarker(markup);
    const Proposal p = ProposeLabel(LabelWindow(markup), field);
    const QJsonValue none(QJsonValue::Null);
    return QJsonObject{{"label", p.label ? QJsonValue(*p.label) : none},
                       {"source", p.label ? QJsonValue(QLatin1StringView(ProposalSourceName(p.source))) : none},
                       {"why", p.why}};
}

// The "fill" op: the K-th field with the label in a form sent in the charset (GBK when absent).
QJsonObject Fill(const QJsonObject& req)
{
    const QString label = TextOf(req, "label", {});
    if (!TokenForLabel(label))
        throw Malformed{u"\"label\" must be a placeholder label"_s};
    QString charset = TextOf(req, "charset", {});
    if (charset.isEmpty())
        charset = u"GBK"_s;
    const QJsonValue nValue = req.value("n"_L1);
    const qint64 n = Absent(nValue) ? 1 : IntegerOf(nValue, u"n"_s);
    const QJsonValue maxValue = req.value("max_length"_L1);
    const qint64 maxLength = Absent(maxValue) ? -1 : IntegerOf(maxValue, u"max_length"_s);
    if (n < 1 || n > 1000000 || maxLength > 1000000)
        throw Malformed{u"\"n\" must be 1 to 1000000, \"max_length\" at most 1000000"_s};
    return QJsonObject{{"value", TestValue(label, charset, int(n), int(maxLength))}};
}

QByteArray JsonText(const QString& s)
{
    const QByteArray a = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return a.sliced(1, a.size() - 2);
}

// Written by hand so that each finding's keys keep the documented order.
QByteArray CheckAnswer(const std::vector<Finding>& findings)
{
    QByteArray out = "{\"findings\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        if (i > 0)
            out += ',';
        out += "{\"kind\":\"";
        out += CheckKindName(f.kind);
        out += "\",\"form\":\"";
        out += CheckedFormName(f.form);
        out += "\",\"severity\":\"";
        out += SeverityName(f.severity);
        out += "\",\"fields\":[";
        for (qsizetype k = 0; k < f.fields.size(); ++k) {
            if (k > 0)
                out += ',';
            out += JsonText(f.fields[k]);
        }
        out += "],\"message\":";
        out += JsonText(f.message);
        out += '}';
    }
    out += "]}";
    return out;
}

QJsonObject Handle(const QJsonObject& req)
{
    const QString op = req.value("op"_L1).toString();
    QString text;
    if (op == "urldecode"_L1)
        return ReadText(req, "text", text) ? QJsonObject{{u"result"_s, UrlDecode(text)}}
                                            : Error(u"\"text\" must be a string"_s);
    if (op == "template"_L1)
        return Template(req);
    if (op == "label"_L1) {
        if (!ReadText(req, "markup", text))
            return Error(u"\"markup\" must be a string"_s);
        const QString window = LabelWindow(text);
        const auto label = ProposePlaceholder(window);
        return QJsonObject{{u"window"_s, window},
                           {u"label"_s, label ? QJsonValue(*label) : QJsonValue(QJsonValue::Null)}};
    }
    if (op == "strip_http"_L1)
        return ReadText(req, "text", text) ? QJsonObject{{u"result"_s, StripHttp(text)}}
                                            : Error(u"\"text\" must be a string"_s);
    if (op == "login_http"_L1)
        return ReadText(req, "text", text) ? QJsonObject{{u"result"_s, LoginHttp(text)}}
                                            : Error(u"\"text\" must be a string"_s);
    if (op.isEmpty())
        return Error(u"missing \"op\""_s);
    return Error(u"unknown op: "_s + op);
}

QByteArray Compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray Answer(const QByteArray& line)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
    if (err.error != QJsonParseError::NoError)
        return Compact(Error(u"not JSON: "_s + err.errorString()));
    if (!doc.isObject())
        return Compact(Error(u"expected a JSON object"_s));
    const QJsonObject req = doc.object();
    const QString op = req.value("op"_L1).toString();
    try {
        if (op == u"check")
            return CheckAnswer(RunCaptureChecks(CheckInputOf(req)));
        if (op == u"propose")
            return Compact(Propose(req));
        if (op == u"fill")
            return Compact(Fill(req));
    } catch (const Malformed& m) {
        return Compact(Error(m.why));
    }
    return Compact(Handle(req));
}

} // namespace

int main()
{
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const QByteArray answer = Answer(QByteArray::fromStdString(line));
        std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return 0;
}
