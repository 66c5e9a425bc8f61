#include "catalogue/site_recordset.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace sitecapture {

SiteRecordset::SiteRecordset(sqlite3* db, const QByteArray& sql)
    : prepareRc_(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt_, nullptr))
{
}

SiteRecordset::~SiteRecordset()
{
    sqlite3_finalize(stmt_);
}

int SiteRecordset::BindId(int index, qint64 id)
{
    return sqlite3_bind_int64(stmt_, index, id);
}

int SiteRecordset::BindText(int index, const QString& text)
{
    bound_.push_back(text.toUtf8());
    const QByteArray& bytes = bound_.back();
    // A null pointer would bind NULL; every written value is text, possibly empty.
    const char* data = bytes.isEmpty() ? "" : bytes.constData();
    return sqlite3_bind_text64(stmt_, index, data, sqlite3_uint64(bytes.size()), SQLITE_STATIC,
                               SQLITE_UTF8);
}

int SiteRecordset::Step()
{
    return sqlite3_step(stmt_);
}

std::optional<QString> SiteRecordset::MapColumns()
{
    const int count = sqlite3_column_count(stmt_);
    auto find = [&](const char* name) {
        for (int i = 0; i < count; ++i)
            if (sqlite3_stricmp(sqlite3_column_name(stmt_, i), name) == 0)
                return i;
        return -1;
    };
    idColumn_ = find("Id");
    if (idColumn_ < 0)
        return u"Id"_s;
    for (std::size_t f = 0; f < kSiteFields.size(); ++f) {
        fieldColumns_[f] = find(FieldName(kSiteFields[f]));
        if (fieldColumns_[f] < 0)
            return QString::fromLatin1(FieldName(kSiteFields[f]));
    }
    return std::nullopt;
}

namespace {

// Stored texts come back whole: QString::fromUtf8 would drop a leading U+FEFF.
void DecodeInto(QString& out, const char* bytes, qsizetype size)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const qsizetype room = utf8.requiredSpace(size);
    if (!out.isDetached() || out.capacity() < room) {
        out = utf8(QByteArrayView(bytes, size));
        return;
    }
    // an unshared text with room enough: decoded in place, no allocation
    out.resize(room);
    QChar* begin = out.data();
    QChar* end = utf8.appendToBuffer(begin, QByteArrayView(bytes, size));
    out.resize(end - begin);
}

} // namespace

SiteRecord SiteRecordset::Record() const
{
    SiteRecord r;
    ReadInto(r);
    return r;
}

void SiteRecordset::ReadInto(SiteRecord& r) const
{
    r.Id = sqlite3_column_int64(stmt_, idColumn_);
    for (std::size_t f = 0; f < kSiteFields.size(); ++f) {
        const int c = fieldColumns_[f];
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
        // NULL reads as the empty text
        DecodeInto(r.Field(kSiteFields[f]), text ? text : "", text ? sqlite3_column_bytes(stmt_, c) : 0);
    }
}

void SiteRecordset::ReadText(int column, QString& out) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    DecodeInto(out, text ? text : "", text ? sqlite3_column_bytes(stmt_, column) : 0);
}

} // namespace sitecapture
