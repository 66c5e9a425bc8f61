#include "catalogue/database_location.h"

#include "catalogue/database_messages.h"
#include "catalogue/site_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef SITECAPTURE_DATA_FROM_PROGRAM
#define SITECAPTURE_DATA_FROM_PROGRAM "../share/sitecapture"
#endif

namespace sitecapture {
namespace {

bool Writable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Why writes to the path are refused; nothing when they are not.
std::optional<QString> WriteRefused(const QString& path)
{
    if (Writable(path))
        return std::nullopt;
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString InstalledTemplate(const QString& programDirectory)
{
    return QDir::cleanPath(programDirectory + u'/' + QString::fromUtf8(SITECAPTURE_DATA_FROM_PROGRAM) + u'/'
                           + QString::fromUtf16(kTemplateFile));
}

DatabaseLocation ChooseDatabaseLocation(const DatabaseFacts& facts)
{
    const QDir program(facts.programDirectory);
    // An installed copy keeps its template apart from the executable; a build or portable
    // folder keeps it beside it. With neither, the message names the one beside it, as ever.
    const bool installed = !facts.programDirectoryHasTemplate && facts.installedTemplateExists;
    const QString templateFile = installed ? InstalledTemplate(facts.programDirectory)
                                           : program.absoluteFilePath(QString::fromUtf16(kTemplateFile));
    const auto named = [&](DatabaseSource source, const QString& path) {
        return DatabaseLocation{source, QDir::cleanPath(QDir(facts.workingDirectory).absoluteFilePath(path)),
                                templateFile, {}};
    };
    if (facts.option)
        return named(DatabaseSource::Option, *facts.option);
    if (facts.environment)
        return named(DatabaseSource::Environment, *facts.environment);
    // /usr/bin is writable for root, yet no place for a catalogue.
    if ((facts.programDirectoryWritable && (facts.programDirectoryHasDatabase || !installed))
        || facts.dataDirectory.isEmpty())
        return {DatabaseSource::ProgramDirectory, program.absoluteFilePath(QString::fromUtf16(kSiteDatabaseFile)),
                templateFile, {}};
    const QString data = QDir::cleanPath(facts.dataDirectory);
    return {DatabaseSource::DataDirectory, QDir(data).absoluteFilePath(QString::fromUtf16(kSiteDatabaseFile)),
            templateFile, data};
}

DatabaseFacts GatherDatabaseFacts(std::optional<QString> option, std::optional<QString> environment,
                                  const QString& programDirectory, const QString& dataDirectory)
{
    const QDir program(programDirectory);
    const QFileInfo database(program.filePath(QString::fromUtf16(kSiteDatabaseFile)));
    DatabaseFacts facts;
    facts.option = std::move(option);
    if (environment && !environment->isEmpty())
        facts.environment = std::move(environment);
    facts.workingDirectory = QDir::currentPath();
    facts.programDirectory = programDirectory;
    facts.programDirectoryWritable = Writable(programDirectory);
    facts.programDirectoryHasDatabase = database.exists() || database.isSymLink();
    facts.programDirectoryHasTemplate = FileExists(program.filePath(QString::fromUtf16(kTemplateFile)));
    facts.installedTemplateExists = FileExists(InstalledTemplate(programDirectory));
    facts.dataDirectory = dataDirectory;
    return facts;
}

Result<SiteDatabase> OpenDatabaseAt(const DatabaseLocation& location, std::chrono::milliseconds busyTimeout)
{
    if (!location.directoryToMake.isEmpty()) {
        std::error_code error;
        std::filesystem::create_directories(QFile::encodeName(location.directoryToMake).toStdString(), error);
        if (error)
            return DirectoryNotWritable(DatabaseOperation::Open, location.file, QString::fromLocal8Bit(error.message()));
    }
    Result<SiteDatabase> database = OpenSiteDatabaseFile(location.file, location.templateFile, busyTimeout);
    if (!database)
        return database;
    // A save needs the file and, for its journal, the folder that really holds it.
    const QString path = database.value().Path();
    QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        real = path;
    if (std::optional<QString> why = WriteRefused(QFileInfo(real).absolutePath()))
        return DirectoryNotWritable(DatabaseOperation::Open, path, *why);
    if (std::optional<QString> why = WriteRefused(real))
        return FileNotWritable(DatabaseOperation::Open, path, *why);
    return database;
}

} // namespace sitecapture
