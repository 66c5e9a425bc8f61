#pragma once
// The database file itself: opening it with the program's settings, checking that a file is
// a site database, and making DIY.xqd from the template on first start. Private to the
// catalogue's implementation.

#include "base/operator_error.h"
#include "catalogue/database_messages.h"

#include <QString>

#include <chrono>
#include <optional>

struct sqlite3;

namespace sitecapture {

inline constexpr char16_t kTemplateFile[] = u"sdk.dll";

// True for an existing regular file; any error while asking counts as "no".
bool FileExists(const QString& path);

// sqlite3_open_v2 with extended result codes, the busy timeout and a guarded configuration.
int OpenConnection(const QString& path, int flags, std::chrono::milliseconds timeout, sqlite3** db);

// Why an open file is not a site database (no table main, a field missing, an Id the engine
// does not assign, pages missing at the end); nothing when it is one or when the engine
// failed, whose code and message are left in *engine (rc SQLITE_OK otherwise).
std::optional<QString> SiteTableProblem(sqlite3* db, const QString& path, EngineResult* engine);

// The database file target from the template sdk.dll; an existing target is never replaced.
std::optional<OperatorError> CreateFromTemplate(const QString& templatePath, const QString& target,
                                                std::chrono::milliseconds timeout);

} // namespace sitecapture
