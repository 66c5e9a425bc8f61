#include "property_bag.h"

#include <QFont>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace sitecapture {

namespace {

bool SameKey(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Quote(const QString& text)
{
    QString out = u"\""_s;
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c == u'\n') {
            out += "\\n"_L1;
            continue;
        }
        out += c;
    }
    out += u'"';
    return out;
}

QString FontText(const QFont& font)
{
    QString out = u"font "_s + Quote(font.family()) + u' ';
    if (font.pointSizeF() > 0)
        out += QString::number(font.pointSizeF()) + u"pt"_s;
    else
        out += QString::number(font.pixelSize()) + u"px"_s;
    out += u' ' + QString::number(int(font.weight()));
    if (font.italic())
        out += " italic"_L1;
    if (font.underline())
        out += " underline"_L1;
    if (font.strikeOut())
        out += " strikeout"_L1;
    return out;
}

QString ValueText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
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
            return Fail(error, u"缺少取值"_s);
        if (line_[pos_] == u'"') {
            if (auto text = ReadQuoted(error))
                value = *text;
            else
                return std::nullopt;
        } else {
            const QString word = ReadWord();
            if (word == "true"_L1 || word == "false"_L1)
                value = word == "true"_L1;
            else if (word == "font"_L1)
                value = ReadFont(error);
            else
                value = ReadInteger(word, error);
            if (!value)
                return std::nullopt;
        }
        SkipSpaces();
        if (!AtEnd())
            return Fail(error, u"取值后有多余的内容“%1”"_s.arg(line_.mid(pos_)));
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
            Fail(error, u"缺少带引号的文字"_s);
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
                    Fail(error, u"无法识别的转义“\\%1”"_s.arg(escaped));
                    return std::nullopt;
                }
                continue;
            }
            text += c;
        }
        Fail(error, u"文字缺少结束的引号"_s);
        return std::nullopt;
    }

    std::optional<QVariant> ReadInteger(const QString& word, QString* error)
    {
        bool ok = false;
        const qlonglong n = word.toLongLong(&ok);
        if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            return Fail(error, u"无法识别的取值“%1”"_s.arg(word));
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
        if (size.endsWith("pt"_L1)) {
            const double points = size.chopped(2).toDouble(&ok);
            if (ok && points > 0 && std::isfinite(points))
                font.setPointSizeF(points);
            else
                ok = false;
        } else if (size.endsWith("px"_L1)) {
            const int pixels = size.chopped(2).toInt(&ok);
            if (ok && pixels > 0)
                font.setPixelSize(pixels);
            else
                ok = false;
        }
        if (!ok)
            return Fail(error, u"字体大小“%1”无法识别，应写作如 9pt 或 12px"_s.arg(size));

        const QString weight = ReadWord();
        const int w = weight.toInt(&ok);
        if (!ok || w < 1 || w > 1000)
            return Fail(error, u"字体粗细“%1”无法识别，应为 1 到 1000 的整数"_s.arg(weight));
        font.setWeight(QFont::Weight(w));

        for (SkipSpaces(); !AtEnd(); SkipSpaces()) {
            const QString style = ReadWord();
            if (style == "italic"_L1)
                font.setItalic(true);
            else if (style == "underline"_L1)
                font.setUnderline(true);
            else if (style == "strikeout"_L1)
                font.setStrikeOut(true);
            else
                return Fail(error, u"无法识别的字体样式“%1”"_s.arg(style));
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
        text += key + u" = "_s + ValueText(value) + u'\n';
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
            message = u"应为“名称 = 取值”"_s;
        } else if (bag.Contains(key.toString())) {
            message = u"名称“%1”重复"_s.arg(key);
        } else if (auto value = ValueReader(line, equals + 1).Read(&message)) {
            bag.entries_.emplace_back(key.toString(), *value);
            continue;
        }
        if (error)
            *error = u"按钮属性第 %1 行无法读取：%2"_s.arg(n + 1).arg(message);
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
