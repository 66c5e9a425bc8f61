#include "capture/bridge_messages.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>

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
    const auto doc = Int(o, QLatin1StringView("doc"));
    const auto version = Int(o, QLatin1StringView("version"));
    const QJsonValue segments = o.value(QLatin1StringView("segments"));
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
    const auto doc = Int(o, QLatin1StringView("doc"));
    const auto version = Int(o, QLatin1StringView("version"));
    const auto handle = Int(o, QLatin1StringView("handle"));
    const auto input = Int(o, QLatin1StringView("input"));
    const auto tag = String(o, QLatin1StringView("tag"), budget);
    const auto name = String(o, QLatin1StringView("name"), budget);
    const auto value = String(o, QLatin1StringView("value"), budget);
    const QJsonValue values = o.value(QLatin1StringView("values"));
    const auto evidence = Evidence(o.value(QLatin1StringView("evidence")), budget);
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
    const auto maxLength = Int(o, QLatin1StringView("maxLength"));
    const auto visible = Bool(o, QLatin1StringView("visible"));
    const auto enabled = Bool(o, QLatin1StringView("enabled"));
    const auto writable = Bool(o, QLatin1StringView("writable"));
    const auto empty = Bool(o, QLatin1StringView("empty"));
    const auto editor = Bool(o, QLatin1StringView("editor"));
    if (!field || !maxLength || !visible || !enabled || !writable || !empty || !editor)
        return std::nullopt;
    return FillableFieldMessage{std::move(*field), *maxLength, *visible, *enabled, *writable, *empty, *editor};
}

BridgeMessage Fillable(const QJsonObject& o, Budget& budget)
{
    FillableMessage m;
    const auto id = Int(o, QLatin1StringView("id"));
    const QJsonValue forms = o.value(QLatin1StringView("forms"));
    if (!id || !forms.isArray())
        return {};
    m.id = *id;
    for (const QJsonValue& f : forms.toArray()) {
        const QJsonObject form = f.toObject();
        const auto charset = String(form, QLatin1StringView("charset"), budget);
        const auto holdsFocus = Bool(form, QLatin1StringView("holdsFocus"));
        const QJsonValue fields = form.value(QLatin1StringView("fields"));
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
    const auto id = Int(o, QLatin1StringView("id"));
    const QJsonValue fields = o.value(QLatin1StringView("fields"));
    if (!id || !fields.isArray())
        return {};
    m.id = *id;
    for (const QJsonValue& v : fields.toArray()) {
        const QJsonObject f = v.toObject();
        const auto handle = Int(f, QLatin1StringView("handle"));
        const auto ok = Bool(f, QLatin1StringView("ok"));
        const auto name = String(f, QLatin1StringView("name"), budget);
        const auto value = String(f, QLatin1StringView("value"), budget);
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
    const auto name = String(o, QLatin1StringView("name"), budget);
    if (!name)
        return std::nullopt;
    e.name = *name;
    if (o.contains(QLatin1StringView("value"))) {
        const auto value = String(o, QLatin1StringView("value"), budget);
        if (!value)
            return std::nullopt;
        e.value = *value;
        return e;
    }
    const QJsonValue fileValue = o.value(QLatin1StringView("file"));
    if (!fileValue.isObject())
        return std::nullopt;
    const QJsonObject file = fileValue.toObject();
    const auto fileName = String(file, QLatin1StringView("name"), budget);
    const auto type = String(file, QLatin1StringView("type"), budget);
    const auto data = String(file, QLatin1StringView("data"), budget);
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
    const auto name = String(o, QLatin1StringView("name"), budget);
    const auto id = String(o, QLatin1StringView("id"), budget);
    const auto type = String(o, QLatin1StringView("type"), budget);
    const auto readonly = Bool(o, QLatin1StringView("readonly"));
    const auto value = String(o, QLatin1StringView("value"), budget);
    if (!name || !id || !type || !readonly || !value)
        return std::nullopt;
    f.name = *name;
    f.id = *id;
    f.type = *type;
    f.readonly = *readonly;
    f.value = *value;
    if (!described)
        return f;
    const auto typed = Bool(o, QLatin1StringView("typed"));
    const auto image = String(o, QLatin1StringView("image"), budget);
    const auto mark = Int(o, QLatin1StringView("mark"));
    if (!typed || !image || !mark || *mark < -1)
        return std::nullopt;
    f.typed = *typed;
    f.image = *image;
    f.mark = *mark;
    // Absent from pages described before editors were followed.
    if (o.contains(QLatin1StringView("edited"))) {
        const auto edited = Bool(o, QLatin1StringView("edited"));
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
    const auto page = String(o, QLatin1StringView("page"), budget);
    const auto index = Int(o, QLatin1StringView("index"));
    const auto action = String(o, QLatin1StringView("action"), budget);
    auto fields = FormFields(o.value(QLatin1StringView("fields")), true, budget);
    auto segments = Strings(o.value(QLatin1StringView("segments")), budget);
    auto values = Strings(o.value(QLatin1StringView("values")), budget);
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
    const auto url = String(o, QLatin1StringView("url"), budget);
    const auto enctype = String(o, QLatin1StringView("enctype"), budget);
    const auto charset = String(o, QLatin1StringView("charset"), budget);
    const QJsonValue entries = o.value(QLatin1StringView("entries"));
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
    if (o.contains(QLatin1StringView("form"))) {
        m.form = SubmittedForm(o.value(QLatin1StringView("form")), budget);
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
    const QString kind = o.value(QLatin1StringView("kind")).toString();
    Budget budget;
    if (kind == u"hello")
        return HelloMessage{};
    if (kind == u"markup")
        return Markup(o, budget);
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
        const auto id = Int(o, QLatin1StringView("id"));
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
    const auto page = String(o, QLatin1StringView("page"), budget);
    const QJsonValue action = o.value(QLatin1StringView("action"));
    auto fields = FormFields(o.value(QLatin1StringView("fields")), false, budget);
    if (!page || !fields || !(action.isNull() || action.isString()))
        return std::nullopt;
    m.page = *page;
    if (action.isString())
        m.action = action.toString();
    m.fields = std::move(*fields);
    return m;
}

void FieldSnapshots::Apply(const MarkupMessage& m)
{
    // The page's frames come and go (advertising frames reload): the document used least
    // recently makes room.
    constexpr qsizetype kMaxDocuments = 64;
    if (!docs_.contains(m.doc) && docs_.size() >= kMaxDocuments) {
        auto oldest = std::min_element(docs_.begin(), docs_.end(),
                                       [](const Document& a, const Document& b) { return a.used < b.used; });
        docs_.erase(oldest);
    }
    docs_.insert(m.doc, Document{m.version, ++uses_, PageMarkup(m.segments)});
}

FieldSnapshot FieldSnapshots::Take(const FieldMessage& m)
{
    FieldSnapshot s;
    s.tagName = m.tag;
    s.name = m.name;
    s.value = NormalizeLineBreaks(m.value);
    s.evidence = m.evidence;
    auto doc = docs_.find(m.doc);
    if (doc == docs_.end())
        return s;
    doc->used = ++uses_;
    if (doc->version != m.version || m.input < 0)
        return s;
    for (const auto& [index, value] : m.values)
        doc->markup.SetValue(index, value);
    s.markup = doc->markup.MarkupForField(m.input);
    return s;
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// A page that reports without ever submitting keeps only this many waiting.
constexpr std::size_t kKeptPending = 8;

template <class T>
void Keep(std::vector<T>& list, T entry)
{
    list.push_back(std::move(entry));
    if (list.size() > kKeptPending)
        list.erase(list.begin());
}

} // namespace

QByteArray AddressKey(const QUrl& url, bool query)
{
    static constexpr char kHexUpper[] = "0123456789ABCDEF";
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == u"http" ? 80 : scheme == u"https" ? 443 : -1;
    QUrl::FormattingOptions parts = QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment;
    if (!query)
        parts |= QUrl::RemoveQuery;
    QByteArray rest = url.toEncoded(parts);
    if (rest.isEmpty() || rest.startsWith('?'))
        rest.prepend('/');
    QByteArray key = scheme.toLatin1() + "://" + url.host(QUrl::FullyEncoded).toLower().toLatin1() + ':'
        + QByteArray::number(url.port(defaultPort));
    key.reserve(key.size() + rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        const int hi = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int lo = hi >= 0 ? HexValue(rest[i + 2]) : -1;
        if (c != '%' || lo < 0) {
            key.append(c);
            continue;
        }
        const char byte = char(hi * 16 + lo);
        if (IsUnreserved(byte))
            key.append(byte);
        else
            key.append('%').append(kHexUpper[hi]).append(kHexUpper[lo]);
        i += 2;
    }
    return key;
}

SubmissionMatcher::Pending SubmissionMatcher::Make(const QUrl& url, QByteArray body, qint64 nowMs)
{
    return Pending{AddressKey(url), AddressKey(url, false), url, std::move(body), nowMs};
}

std::optional<SubmissionMatcher::Pending> SubmissionMatcher::Take(std::vector<Pending>& from,
                                                                 const Pending& to, qint64 nowMs)
{
    std::erase_if(from, [nowMs](const Pending& p) { return nowMs - p.at > kWaitMs; });
    auto found = std::find_if(from.rbegin(), from.rend(), [&](const Pending& p) { return p.key == to.key; });
    if (found == from.rend()
        && std::count_if(from.begin(), from.end(), [&](const Pending& p) { return p.place == to.place; }) == 1)
        found = std::find_if(from.rbegin(), from.rend(), [&](const Pending& p) { return p.place == to.place; });
    if (found == from.rend())
        return std::nullopt;
    Pending p = std::move(*found);
    from.erase(std::next(found).base());
    return p;
}

std::optional<QUrl> SubmissionMatcher::Submitted(const QUrl& action, const QByteArray& body, qint64 nowMs)
{
    Pending report = Make(action, body, nowMs);
    if (std::optional<Pending> request = Take(requests_, report, nowMs))
        return request->url;
    // A newer submission to the same address replaces the one still waiting: the last wins.
    std::erase_if(reports_, [&](const Pending& p) { return p.key == report.key; });
    Keep(reports_, std::move(report));
    return std::nullopt;
}

std::optional<QByteArray> SubmissionMatcher::Requested(const QUrl& url, bool formSubmission,
                                                       QByteArrayView method, qint64 nowMs)
{
    if (!formSubmission || method.compare("POST", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    Pending request = Make(url, {}, nowMs);
    if (std::optional<Pending> report = Take(reports_, request, nowMs))
        return std::move(report->body);
    Keep(requests_, std::move(request));
    return std::nullopt;
}

} // namespace sitecapture
