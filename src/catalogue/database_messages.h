#pragma once
// Every message of the site database for the operator, in one place: what was being done,
// the file, the cause, and the engine's own words in brackets. Private to the catalogue.

#include "catalogue/database_error.h"

#include <QString>

#include <chrono>

struct sqlite3;

namespace sitecapture {

enum class DatabaseOperation { Open, List, Load, Delete, Add, Update };

QString NativePath(const QString& path);

DatabaseError Damaged(DatabaseOperation op, const QString& path, const QString& detail);
DatabaseError DirectoryNotWritable(DatabaseOperation op, const QString& path, const QString& detail);
// The error for an engine result code, read together with the connection's last message.
DatabaseError EngineError(sqlite3* db, int rc, DatabaseOperation op, const QString& path,
                          std::chrono::milliseconds timeout);
DatabaseError RowVanished(const QString& path, qint64 id);

// First start: DIY.xqd (target) made from sdk.dll (templatePath).
DatabaseError TemplateMissing(const QString& templatePath, const QString& target);
DatabaseError TemplateUnreadable(const QString& templatePath, const QString& target, const QString& detail);
DatabaseError TemplateDamaged(const QString& templatePath, const QString& target, const QString& detail);
DatabaseError CopyFailed(const QString& templatePath, const QString& target, const QString& detail);
DatabaseError CreateFailed(const QString& target, const QString& detail);

} // namespace sitecapture
