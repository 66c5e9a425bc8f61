#pragma once
// One prepared statement over the site database (the result set in use), with its columns
// found by name so that a table whose columns stand in another order still reads right.
// Private to the catalogue's implementation.

#include "catalogue/site_record.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <array>
#include <optional>
#include <vector>

namespace sitecapture {

class SiteRecordset {
public:
    SiteRecordset(sqlite3* db, const QByteArray& sql);
    ~SiteRecordset();
    SiteRecordset(const SiteRecordset&) = delete;
    SiteRecordset& operator=(const SiteRecordset&) = delete;

    // SQLITE_OK when the statement compiled.
    int PrepareResult() const { return prepareRc_; }
    sqlite3_stmt* statement() const { return stmt_; }

    int BindId(int index, qint64 id);
    // Binds the text (empty, never NULL); the bytes stay alive as long as the recordset.
    int BindText(int index, const QString& text);
    int Step();

    // Finds Id and the twelve fields among the result columns; the name of the first
    // missing one otherwise.
    std::optional<QString> MapColumns();
    // The current row, read with the mapping of MapColumns.
    SiteRecord Record() const;
    // The same into an existing record, reusing the memory of its texts where it can.
    void ReadInto(SiteRecord& record) const;
    // One text column of the current row by position; NULL reads as the empty text.
    void ReadText(int column, QString& out) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
    int prepareRc_;
    int idColumn_ = -1;
    std::array<int, 12> fieldColumns_{};
    std::vector<QByteArray> bound_;
};

} // namespace sitecapture
