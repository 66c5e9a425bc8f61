#include "capture/bridge_messages.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

// Counts the characters of one message against kMaxBridgeChars.
class Budget {
public:
    bool Take(qsizetype n)
    {
        left_ -= n;
        return left_ >= 0;
    }

private:
    qsizetype left_ = kMaxBridgeChars;
};

std::optional<QString> String(const QJsonObject& o, QLatin1StringView key, Budget& budget)
{
    const QJsonValue v = o.value(key);
    if (!v.isString())
        return std::nullopt;
    QString s = v.toString();
    if (!budget.Take(s.size()))
        return std::nullopt;
    return s;
}

std::optional<int> Int(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min()
        || d > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(d);
}

std::optional<int> Int(const QJsonObject& o, QLatin1StringView key)
{
    return Int(o.value(key));
}

std::optional<bool> Bool(const QJsonObject& o, QLatin1StringView key)
{
    const QJsonValue v = o.value(key);
    if (!v.isBool())
        return std::nullopt;
    return v.toBool();
}

BridgeMessage Markup(const QJsonObject& o, Budget& budget)
{
    MarkupMessage m;
    const auto doc = Int(o, "doc"_L1);
    const auto version = Int(o, "version"_L1);
    const QJsonValue segments = o.value("segments"_L1);
    if (!doc || !version || !segments.isArray())
        return {};
    m.doc = *doc;
    m.version = *version;
    const QJsonArray a = segments.toArray();
    if (a.isEmpty())
        return {};
    m.segments.reserve(a.size());
    for (const QJsonValue& s : a) {
        if (!s.isString() || !budget.Take(s.toString().size()))
            return {};
        m.segments << s.toString();
    }
    return m;
}

// Every key may be absent; a present one must be a string.
std::optional<FieldEvidence> Evidence(const QJsonValue& v, Budget& budget)
{
    if (v.isUndefined())
        return FieldEvidence{};
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    FieldEvidence e;
    const struct {
        const char* key;
        QString FieldEvidence::*member;
    } keys[] = {{"id", &FieldEvidence::id},       {"type", &FieldEvidence::type},
                {"placeholder", &FieldEvidence::placeholder}, {"aria", &FieldEvidence::ariaLabel},
                {"title", &FieldEvidence::title}, {"label", &FieldEvidence::label},
                {"before", &FieldEvidence::before}};
    for (const auto& k : keys) {
        const QLatin1StringView key(k.key);
        if (!o.contains(key))
            continue;
        const auto text = String(o, key, budget);
        if (!text)
            return std::nullopt;
        e.*k.member = *text;
    }
    return e;
}

std::optional<FieldMessage> FieldOf(const QJsonObject& o, Budget& budget)
{
    FieldMessage m;
    const auto doc = Int(o, "doc"_L1);
    const auto version = Int(o, "version"_L1);
    const auto handle = Int(o, "handle"_L1);
    const auto input = Int(o, "input"_L1);
    const auto tag = String(o, "tag"_L1, budget);
    const auto name = String(o, "name"_L1, budget);
    const auto value = String(o, "value"_L1, budget);
    const QJsonValue values = o.value("values"_L1);
    const auto evidence = Evidence(o.value("evidence"_L1), budget);
    if (!doc || !version || !handle || !input || !tag || !name || !value || !values.isArray() || !evidence)
        return {};
    m.doc = *doc;
    m.version = *version;
    m.handle = *handle;
    m.input = *input;
    m.tag = *tag;
    m.name = *name;
    m.value = *value;
    m.evidence = *evidence;
    m.evidence.tag = m.tag;
    m.evidence.name = m.name;
    for (const QJsonValue& pair : values.toArray()) {
        const QJsonArray p = pair.toArray();
        const auto index = p.size() == 2 ? Int(p[0]) : std::nullopt;
        if (!index || !p[1].isString() || !budget.Take(p[1].toString().size()))
            return {};
        m.values.append({*index, p[1].toString()});
    }
    return m;
}

BridgeMessage Field(const QJsonObject& o, Budget& budget)
{
    if (auto m = FieldOf(o, budget))
        return *m;
    return {};
}

std::optional<FillableFieldMessage> FillableField(const QJsonValue& v, Budget& budget)
{
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    auto field = FieldOf(o, budget);
    const auto maxLength = Int(o, "maxLength"_L1);
    const auto visible = Bool(o, "visible"_L1);
    const auto enabled = Bool(o, "enabled"_L1);
    const auto writable = Bool(o, "writable"_L1);
    const auto empty = Bool(o, "empty"_L1);
    const auto editor = Bool(o, "editor"_L1);
    if (!field || !maxLength || !visible || !enabled || !writable || !empty || !editor)
        return std::nullopt;
    return FillableFieldMessage{std::move(*field), *maxLength, *visible, *enabled, *writable, *empty, *editor};
}

BridgeMessage Fillable(const QJsonObject& o, Budget& budget)
{
    FillableMessage m;
    const auto id = Int(o, "id"_L1);
    const QJsonValue forms = o.value("forms"_L1);
    if (!id || !forms.isArray())
        return {};
    m.id = *id;
    for (const QJsonValue& f : forms.toArray()) {
        const QJsonObject form = f.toObject();
        const auto charset = String(form, "charset"_L1, budget);
        const auto holdsFocus = Bool(form, "holdsFocus"_L1);
        const QJsonValue fields = form.value("fields"_L1);
        if (!f.isObject() || !charset || !holdsFocus || !fields.isArray())
            return {};
        FillableFormMessage out{*charset, *holdsFocus, {}};
        for (const QJsonValue& field : fields.toArray()) {
            auto parsed = FillableField(field, budget);
            if (!parsed)
                return {};
            out.fields.append(std::move(*parsed));
        }
        m.forms.append(std::move(out));
    }
    return m;
}

BridgeMessage Filled(const QJsonObject& o, Budget& budget)
{
    FilledMessage m;
    const auto id = Int(o, "id"_L1);
    const QJsonValue fields = o.value("fields"_L1);
    if (!id || !fields.isArray())
        return {};
    m.id = *id;
    for (const QJsonValue& v : fields.toArray()) {
        const QJsonObject f = v.toObject();
        const auto handle = Int(f, "handle"_L1);
        const auto ok = Bool(f, "ok"_L1);
        const auto name = String(f, "name"_L1, budget);
        const auto value = String(f, "value"_L1, budget);
        if (!v.isObject() || !handle || !ok || !name || !value)
            return {};
        m.fields.append({*handle, *ok, *name, *value});
    }
    return m;
}

std::optional<FormEntry> Entry(const QJsonValue& v, Budget& budget)
{
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    FormEntry e;
    const auto name = String(o, "name"_L1, budget);
    if (!name)
        return std::nullopt;
    e.name = *name;
    if (o.contains("value"_L1)) {
        const auto value = String(o, "value"_L1, budget);
        if (!value)
            return std::nullopt;
        e.value = *value;
        return e;
    }
    const QJsonValue fileValue = o.value("file"_L1);
    if (!fileValue.isObject())
        return std::nullopt;
    const QJsonObject file = fileValue.toObject();
    const auto fileName = String(file, "name"_L1, budget);
    const auto type = String(file, "type"_L1, budget);
    const auto data = String(file, "data"_L1, budget);
    if (!fileName || !type || !data)
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(
        data->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    e.isFile = true;
    e.fileName = *fileName;
    e.fileType = *type;
    e.fileContent = *decoded;
    return e;
}

std::optional<QStringList> Strings(const QJsonValue& v, Budget& budget)
{
    if (!v.isArray())
        return std::nullopt;
    QStringList out;
    for (const QJsonValue& s : v.toArray()) {
        if (!s.isString() || !budget.Take(s.toString().size()))
            return std::nullopt;
        out << s.toString();
    }
    return out;
}

BridgeMessage Blocks(const QJsonObject& o, Budget& budget)
{
    BlocksMessage m;
    const auto doc = Int(o, "doc"_L1);
    const auto version = Int(o, "version"_L1);
    const QJsonValue blocks = o.value("blocks"_L1);
    if (!doc || !version || !blocks.isArray())
        return {};
    m.doc = *doc;
    m.version = *version;
    for (const QJsonValue& b : blocks.toArray()) {
        const QJsonArray pair = b.toArray();
        const auto id = pair.size() == 2 ? Int(pair[0]) : std::nullopt;
        auto segments = id ? Strings(pair[1], budget) : std::nullopt;
        if (!segments || segments->isEmpty())
            return {};
        m.blocks.append({*id, std::move(*segments)});
    }
    if (o.contains("order"_L1)) {
        const QJsonValue order = o.value("order"_L1);
        if (!order.isArray())
            return {};
        const QJsonArray ids = order.toArray();
        // Each block costs at least its number.
        if (!budget.Take(ids.size()))
            return {};
        QSet<int> seen;
        std::vector<int> out;
        out.reserve(std::size_t(ids.size()));
        for (const QJsonValue& v : ids) {
            const auto id = Int(v);
            if (!id || seen.contains(*id))
                return {};
            seen.insert(*id);
            out.push_back(*id);
        }
        m.order = std::move(out);
    }
    return m;
}

bool IsAbsolute(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    return parsed.isValid() && !parsed.isRelative();
}

// `described`: a field of a submitted form, which also says whether it was typed into,
// the image next to it and its mark.
std::optional<FormFieldMessage> FormField(const QJsonValue& v, bool described, Budget& budget)
{
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    FormFieldMessage f;
    const auto name = String(o, "name"_L1, budget);
    const auto id = String(o, "id"_L1, budget);
    const auto type = String(o, "type"_L1, budget);
    const auto readonly = Bool(o, "readonly"_L1);
    const auto value = String(o, "value"_L1, budget);
    if (!name || !id || !type || !readonly || !value)
        return std::nullopt;
    f.name = *name;
    f.id = *id;
    f.type = *type;
    f.readonly = *readonly;
    f.value = *value;
    if (!described)
        return f;
    const auto typed = Bool(o, "typed"_L1);
    const auto image = String(o, "image"_L1, budget);
    const auto mark = Int(o, "mark"_L1);
    if (!typed || !image || !mark || *mark < -1)
        return std::nullopt;
    f.typed = *typed;
    f.image = *image;
    f.mark = *mark;
    // Absent from pages described before editors were followed.
    if (o.contains("edited"_L1)) {
        const auto edited = Bool(o, "edited"_L1);
        if (!edited)
            return std::nullopt;
        f.edited = *edited;
    }
    return f;
}

std::optional<QList<FormFieldMessage>> FormFields(const QJsonValue& v, bool described, Budget& budget)
{
    if (!v.isArray())
        return std::nullopt;
    QList<FormFieldMessage> out;
    for (const QJsonValue& f : v.toArray()) {
        auto field = FormField(f, described, budget);
        if (!field)
            return std::nullopt;
        out.append(std::move(*field));
    }
    return out;
}

std::optional<SubmittedFormMessage> SubmittedForm(const QJsonValue& v, Budget& budget)
{
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    SubmittedFormMessage m;
    const auto page = String(o, "page"_L1, budget);
    const auto index = Int(o, "index"_L1);
    const auto action = String(o, "action"_L1, budget);
    auto fields = FormFields(o.value("fields"_L1), true, budget);
    auto segments = Strings(o.value("segments"_L1), budget);
    auto values = Strings(o.value("values"_L1), budget);
    if (!page || !index || *index < 0 || !action || !fields || !segments || !values
        || !IsAbsolute(*page) || !IsAbsolute(*action))
        return std::nullopt;
    // A mark names a value, and the markup has one segment more than there are values.
    if (segments->isEmpty() ? !values->isEmpty() : values->size() != segments->size() - 1)
        return std::nullopt;
    for (const FormFieldMessage& f : *fields)
        if (f.mark >= values->size())
            return std::nullopt;
    m.page = *page;
    m.index = *index;
    m.action = *action;
    m.fields = std::move(*fields);
    m.segments = std::move(*segments);
    m.values = std::move(*values);
    return m;
}

BridgeMessage Submit(const QJsonObject& o, Budget& budget)
{
    SubmitMessage m;
    const auto url = String(o, "url"_L1, budget);
    const auto enctype = String(o, "enctype"_L1, budget);
    const auto charset = String(o, "charset"_L1, budget);
    const QJsonValue entries = o.value("entries"_L1);
    if (!url || !enctype || !charset || !entries.isArray())
        return {};
    if (!IsAbsolute(*url))
        return {};
    m.url = *url;
    m.enctype = FormEnctypeFromAttribute(*enctype);
    m.charset = *charset;
    for (const QJsonValue& v : entries.toArray()) {
        auto e = Entry(v, budget);
        if (!e)
            return {};
        m.entries.append(std::move(*e));
    }
    if (o.contains("form"_L1)) {
        m.form = SubmittedForm(o.value("form"_L1), budget);
        if (!m.form)
            return {};
    }
    return m;
}

} // namespace

BridgeMessage ParseBridgeMessage(const QJsonValue& message)
{
    if (!message.isObject())
        return {};
    const QJsonObject o = message.toObject();
    const QString kind = o.value("kind"_L1).toString();
    Budget budget;
    if (kind == u"hello")
        return HelloMessage{};
    if (kind == u"markup")
        return Markup(o, budget);
    if (kind == u"blocks")
        return Blocks(o, budget);
    if (kind == u"field")
        return Field(o, budget);
    if (kind == u"submit")
        return Submit(o, budget);
    if (kind == u"oversize")
        return OversizeMessage{};
    if (kind == u"fillable")
        return Fillable(o, budget);
    if (kind == u"filled")
        return Filled(o, budget);
    if (kind == u"pong") {
        const auto id = Int(o, "id"_L1);
        if (!id)
            return {};
        return PongMessage{*id};
    }
    return {};
}

std::optional<FormReadingMessage> ParseFormReading(const QJsonValue& message)
{
    if (!message.isObject())
        return std::nullopt;
    const QJsonObject o = message.toObject();
    Budget budget;
    FormReadingMessage m;
    const auto page = String(o, "page"_L1, budget);
    const QJsonValue action = o.value("action"_L1);
    auto fields = FormFields(o.value("fields"_L1), false, budget);
    if (!page || !fields || !(action.isNull() || action.isString()))
        return std::nullopt;
    m.page = *page;
    if (action.isString())
        m.action = action.toString();
    m.fields = std::move(*fields);
    return m;
}

} // namespace sitecapture
