#include "property_bag.h"

#include <QFont>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sitecapture {

namespace {

bool SameKey(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c == u'\n') {
            out += QStringLiteral("\\n");
            continue;
        }
        out += c;
    }
    out += u'"';
    return out;
}

QString FontText(const QFont& font)
{
    QString out = QStringLiteral("font ") + Quote(font.family()) + u' ';
    if (font.pointSizeF() > 0)
        out += QString::number(font.pointSizeF()) + QStringLiteral("pt");
    else
        out += QString::number(font.pixelSize()) + QStringLiteral("px");
    out += u' ' + QString::number(int(font.weight()));
    if (font.italic())
        out += QStringLiteral(" italic");
    if (font.underline())
        out += QStringLiteral(" underline");
    if (font.strikeOut())
        out += QStringLiteral(" strikeout");
    return out;
}

QString ValueText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QFont:
        return FontText(value.value<QFont>());
    default:
        return Quote(value.toString());
    }
}

// Reads one line's value. `pos` walks over `line`; errors come back as a message.
class ValueReader {
public:
    explicit ValueReader(QStringView line, qsizetype pos) : line_(line), pos_(pos) {}

    std::optional<QVariant> Read(QString* error)
    {
        SkipSpaces();
        std::optional<QVariant> value;
        if (AtEnd())
            return Fail(error, QStringLiteral("缺少取值"));
        if (line_[pos_] == u'"') {
            if (auto text = ReadQuoted(error))
                value = *text;
            else
                return std::nullopt;
        } else {
            const QString word = ReadWord();
            if (word == u"true" || word == u"false")
                value = word == u"true";
            else if (word == u"font")
                value = ReadFont(error);
            else
                value = ReadInteger(word, error);
            if (!value)
                return std::nullopt;
        }
        SkipSpaces();
        if (!AtEnd())
            return Fail(error, QStringLiteral("取值后有多余的内容“%1”").arg(line_.mid(pos_)));
        return value;
    }

private:
    bool AtEnd() const { return pos_ >= line_.size(); }

    void SkipSpaces()
    {
        while (!AtEnd() && line_[pos_].isSpace())
            ++pos_;
    }

    QString ReadWord()
    {
        SkipSpaces();
        const qsizetype start = pos_;
        while (!AtEnd() && !line_[pos_].isSpace() && line_[pos_] != u'"')
            ++pos_;
        return line_.mid(start, pos_ - start).toString();
    }

    std::optional<QString> ReadQuoted(QString* error)
    {
        SkipSpaces();
        if (AtEnd() || line_[pos_] != u'"') {
            Fail(error, QStringLiteral("缺少带引号的文字"));
            return std::nullopt;
        }
        QString text;
        for (++pos_; !AtEnd(); ++pos_) {
            const QChar c = line_[pos_];
            if (c == u'"') {
                ++pos_;
                return text;
            }
            if (c == u'\\') {
                if (++pos_ >= line_.size())
                    break;
                const QChar escaped = line_[pos_];
                if (escaped == u'n')
                    text += u'\n';
                else if (escaped == u'"' || escaped == u'\\')
                    text += escaped;
                else {
                    Fail(error, QStringLiteral("无法识别的转义“\\%1”").arg(escaped));
                    return std::nullopt;
                }
                continue;
            }
            text += c;
        }
        Fail(error, QStringLiteral("文字缺少结束的引号"));
        return std::nullopt;
    }

    std::optional<QVariant> ReadInteger(const QString& word, QString* error)
    {
        bool ok = false;
        const qlonglong n = word.toLongLong(&ok);
        if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            return Fail(error, QStringLiteral("无法识别的取值“%1”").arg(word));
        return QVariant(qint32(n));
    }

    std::optional<QVariant> ReadFont(QString* error)
    {
        const std::optional<QString> family = ReadQuoted(error);
        if (!family)
            return std::nullopt;
        QFont font(*family);

        const QString size = ReadWord();
        bool ok = false;
        if (size.endsWith(u"pt")) {
            const double points = size.chopped(2).toDouble(&ok);
            if (ok && points > 0 && std::isfinite(points))
                font.setPointSizeF(points);
            else
                ok = false;
        } else if (size.endsWith(u"px")) {
            const int pixels = size.chopped(2).toInt(&ok);
            if (ok && pixels > 0)
                font.setPixelSize(pixels);
            else
                ok = false;
        }
        if (!ok)
            return Fail(error, QStringLiteral("字体大小“%1”无法识别，应写作如 9pt 或 12px").arg(size));

        const QString weight = ReadWord();
        const int w = weight.toInt(&ok);
        if (!ok || w < 1 || w > 1000)
            return Fail(error, QStringLiteral("字体粗细“%1”无法识别，应为 1 到 1000 的整数").arg(weight));
        font.setWeight(QFont::Weight(w));

        for (SkipSpaces(); !AtEnd(); SkipSpaces()) {
            const QString style = ReadWord();
            if (style == u"italic")
                font.setItalic(true);
            else if (style == u"underline")
                font.setUnderline(true);
            else if (style == u"strikeout")
                font.setStrikeOut(true);
            else
                return Fail(error, QStringLiteral("无法识别的字体样式“%1”").arg(style));
        }
        return QVariant(font);
    }

    static std::optional<QVariant> Fail(QString* error, const QString& message)
    {
        if (error)
            *error = message;
        return std::nullopt;
    }

    QStringView line_;
    qsizetype pos_;
};

bool IsKey(QStringView key)
{
    if (key.isEmpty() || key[0].isDigit())
        return false;
    return std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == u'_';
    });
}

} // namespace

std::vector<std::pair<QString, QVariant>>::const_iterator PropertyBag::Find(const QString& name) const
{
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const auto& entry) { return SameKey(entry.first, name); });
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = Find(name);
    return it == entries_.end() ? defaultValue : it->second;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    const auto it = entries_.begin() + (Find(name) - entries_.cbegin());
    if (value == defaultValue) {
        if (it != entries_.end())
            entries_.erase(it);
        return;
    }
    if (it != entries_.end())
        it->second = value;
    else
        entries_.emplace_back(name, value);
}

bool PropertyBag::Contains(const QString& name) const
{
    return Find(name) != entries_.end();
}

QStringList PropertyBag::Keys() const
{
    QStringList keys;
    for (const auto& entry : entries_)
        keys << entry.first;
    return keys;
}

QString PropertyBag::ToText() const
{
    QString text;
    for (const auto& [key, value] : entries_)
        text += key + QStringLiteral(" = ") + ValueText(value) + u'\n';
    return text;
}

std::optional<PropertyBag> PropertyBag::FromText(const QString& text, QString* error)
{
    PropertyBag bag;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = QStringView(lines[n]).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QString message;
        const qsizetype equals = line.indexOf(u'=');
        const QStringView key = equals < 0 ? QStringView() : line.left(equals).trimmed();
        if (equals < 0 || !IsKey(key)) {
            message = QStringLiteral("应为“名称 = 取值”");
        } else if (bag.Contains(key.toString())) {
            message = QStringLiteral("名称“%1”重复").arg(key);
        } else if (auto value = ValueReader(line, equals + 1).Read(&message)) {
            bag.entries_.emplace_back(key.toString(), *value);
            continue;
        }
        if (error)
            *error = QStringLiteral("按钮属性第 %1 行无法读取：%2").arg(n + 1).arg(message);
        return std::nullopt;
    }
    return bag;
}

bool operator==(const PropertyBag& a, const PropertyBag& b)
{
    return a.entries_ == b.entries_;
}

int HimetricToPixels(int himetric, double dpi)
{
    return int(std::lround(himetric * dpi / 2540.0));
}

} // namespace sitecapture
