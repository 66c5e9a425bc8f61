#pragma once
// Failures of the site database as the operator sees them.

#include <QString>

#include <utility>
#include <variant>

namespace sitecapture {

enum class DatabaseFault {
    TemplateMissing, // neither DIY.xqd nor sdk.dll
    TemplateDamaged, // sdk.dll is not a site database; DIY.xqd was not created
    Damaged,         // DIY.xqd is not a database, not a site database, or damaged
    NotWritable,     // the directory or the file refuses writes
    Locked,          // another program held the file past the busy timeout
    RowVanished,     // the edited row is no longer there
    Failed,          // anything else the engine or the file system reports
};

// A failure as the operator reads it: the message is Chinese, names the file and the cause.
struct DatabaseError {
    DatabaseFault fault;
    QString path;    // the file concerned
    QString message; // for the operator
};

// A value or the error that prevented it.
template <class T>
class DbResult {
public:
    DbResult(T value) : v_(std::move(value)) {}
    DbResult(DatabaseError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    // by value from a temporary, so that `for (auto& r : db.ListSites().value())` is safe
    T value() && { return std::move(std::get<0>(v_)); }
    const DatabaseError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, DatabaseError> v_;
};
using DbStatus = DbResult<std::monostate>;

} // namespace sitecapture
