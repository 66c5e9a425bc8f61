#pragma once
// Every message of the site database for the operator, in one place: what was being done,
// the file, the cause, and the engine's own words in brackets. Private to the catalogue.

#include "base/operator_error.h"

#include <QString>

#include <chrono>

struct sqlite3;

namespace sitecapture {

enum class DatabaseOperation { Open, List, Load, Delete, Add, Update };

// An engine result code with the connection's message, taken when it happened: the next
// statement (a rollback or commit that follows the failure) replaces that message.
struct EngineResult {
    int rc = 0;
    QString message;
};
EngineResult EngineFailure(sqlite3* db, int rc);

QString NativePath(const QString& path);

OperatorError Damaged(DatabaseOperation op, const QString& path, const QString& detail);
OperatorError DirectoryNotWritable(DatabaseOperation op, const QString& path, const QString& detail);
OperatorError FileNotWritable(DatabaseOperation op, const QString& path, const QString& detail);
// The error for an engine result code, read together with the connection's last message.
OperatorError EngineError(sqlite3* db, int rc, DatabaseOperation op, const QString& path,
                          std::chrono::milliseconds timeout);
OperatorError EngineError(const EngineResult& result, DatabaseOperation op, const QString& path,
                          std::chrono::milliseconds timeout);
// The engine numbered a new row 0 or below (a file whose Ids another program made negative).
OperatorError NoPositiveId(const QString& path, qint64 id);
OperatorError RowVanished(const QString& path, qint64 id);

// First start: DIY.xqd (target) made from sdk.dll (templatePath).
OperatorError TemplateMissing(const QString& templatePath, const QString& target);
OperatorError TemplateUnreadable(const QString& templatePath, const QString& target, const QString& detail);
OperatorError TemplateDamaged(const QString& templatePath, const QString& target, const QString& detail);
OperatorError CopyFailed(const QString& templatePath, const QString& target, const QString& detail);
OperatorError CreateFailed(const QString& target, const QString& detail);

} // namespace sitecapture
