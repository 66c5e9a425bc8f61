#pragma once
// Which file is the site database at start-up: the one the operator names, else DIY.xqd
// beside the program when it runs from a build or portable folder, else DIY.xqd in the
// user's data folder when it is installed. The choice is a function of the facts below, so
// that it can be tried without touching a disk; the facts are gathered once at start-up.

#include "base/operator_error.h"
#include "catalogue/site_database.h"

#include <QString>

#include <optional>

namespace sitecapture {

inline constexpr char16_t kDatabaseVariable[] = u"SITECAPTURE_DATABASE";

struct DatabaseFacts {
    std::optional<QString> option;      // --database, as typed
    std::optional<QString> environment; // SITECAPTURE_DATABASE, when set and not empty
    QString workingDirectory;           // what relative paths are relative to
    QString programDirectory;
    bool programDirectoryWritable = false;
    bool programDirectoryHasDatabase = false; // anything named DIY.xqd, a damaged one too
    bool programDirectoryHasTemplate = false; // sdk.dll: a build or portable folder
    bool installedTemplateExists = false;     // sdk.dll where an installed copy keeps it
    QString dataDirectory;                    // the user's data folder
};

enum class DatabaseSource { Option, Environment, ProgramDirectory, DataDirectory };

struct DatabaseLocation {
    DatabaseSource source = DatabaseSource::ProgramDirectory;
    QString file;         // absolute
    QString templateFile; // absolute
    // The folder made on first start (the data folder); empty when nothing is to be made.
    QString directoryToMake;
    friend bool operator==(const DatabaseLocation&, const DatabaseLocation&) = default;
};

// sdk.dll of an installed copy, relative to the folder of its executable.
QString InstalledTemplate(const QString& programDirectory);

DatabaseLocation ChooseDatabaseLocation(const DatabaseFacts& facts);

// The facts as they are on this machine now.
DatabaseFacts GatherDatabaseFacts(std::optional<QString> option, std::optional<QString> environment,
                                  const QString& programDirectory, const QString& dataDirectory);

// Opens the chosen file as OpenSiteDatabaseFile does, first making the data folder when it
// is the one chosen, and refuses a file that could be read but never saved to (the file or
// its folder refusing writes), so that the operator learns it before capturing a site.
Result<SiteDatabase> OpenDatabaseAt(const DatabaseLocation& location,
                                    std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);

} // namespace sitecapture
