#include "catalogue/site_file.h"

#include "catalogue/database_messages.h"
#include "catalogue/site_recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

// The text of the first column of a one-row statement.
int QueryText(sqlite3* db, const char* sql, QByteArray* out)
{
    SiteRecordset rs(db, sql);
    int rc = rs.PrepareResult();
    if (rc == SQLITE_OK && (rc = rs.Step()) == SQLITE_ROW) {
        *out = reinterpret_cast<const char*>(sqlite3_column_text(rs.statement(), 0));
        rc = SQLITE_OK;
    }
    return rc;
}

void SyncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString ErrnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// A file beside the target under a name of its own, removed again unless linked elsewhere.
class PartialFile {
public:
    explicit PartialFile(const QString& target)
    {
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            name_ = target + u".%1.partial"_s.arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
            fd_ = ::open(QFile::encodeName(name_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            error_ = fd_ < 0 ? errno : 0;
            if (fd_ < 0 && error_ != EEXIST)
                break;
        }
        if (fd_ < 0)
            name_.clear();
    }
    // Goes with the files the engine made beside it while the copy was checked (a template
    // in WAL mode gets -wal and -shm, which a read-only connection leaves behind).
    ~PartialFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (name_.isEmpty())
            return;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            ::unlink(QFile::encodeName(name_ + QLatin1StringView(suffix)).constData());
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    int fd() const { return fd_; }
    const QString& fileName() const { return name_; }
    QString errorString() const { return ErrnoText(error_); }

    // The reason of a failure, empty on success.
    QString Write(const QByteArray& bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.constData() + done, std::size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return ErrnoText(n < 0 ? errno : EIO);
            done += n;
        }
        return {};
    }
    QString SyncAndClose()
    {
        const int rc = ::fsync(fd_) == 0 ? ::close(fd_) : -1;
        const int err = errno;
        if (rc != 0 && fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return rc == 0 ? QString() : ErrnoText(err);
    }

private:
    QString name_;
    int fd_ = -1;
    int error_ = 0;
};

} // namespace

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

int OpenConnection(const QString& path, int flags, std::chrono::milliseconds timeout, sqlite3** db)
{
    *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), db, flags | SQLITE_OPEN_EXRESCODE,
                                   nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_busy_timeout(*db, int(timeout.count()));
    // The file comes from outside the program: no schema tricks, no direct schema writes.
    sqlite3_db_config(*db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(*db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    return SQLITE_OK;
}

namespace {

// Id is the row's own number (an INTEGER PRIMARY KEY of a table with row numbers): the only
// key the engine assigns itself, unique and positive, and the one every statement addresses.
// A key index of its own means it is not (a declared type other than INTEGER, DESC, WITHOUT
// ROWID). SQLITE_OK and the answer in *ok, or the engine's failure.
int IdIsRowNumber(sqlite3* db, bool* ok)
{
    *ok = false;
    int keys = 0;
    bool idIsKey = false;
    {
        SiteRecordset rs(db, "select name, type, pk from pragma_table_info('main') where pk > 0");
        int rc = rs.PrepareResult();
        while (rc == SQLITE_OK && (rc = rs.Step()) == SQLITE_ROW) {
            ++keys;
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(rs.statement(), 0));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(rs.statement(), 1));
            idIsKey = name && type && sqlite3_stricmp(name, "Id") == 0 && sqlite3_stricmp(type, "INTEGER") == 0;
            rc = SQLITE_OK;
        }
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            return rc;
    }
    QByteArray keyIndexes;
    if (const int rc = QueryText(db, "select count(*) from pragma_index_list('main') where origin = 'pk'", &keyIndexes);
        rc != SQLITE_OK)
        return rc;
    *ok = keys == 1 && idIsKey && keyIndexes == "0";
    return SQLITE_OK;
}

} // namespace

// Cheap checks that the file is a site database: table main with every field and an Id the
// engine assigns, and no pages missing at the end (a copy cut short). Reads only, under one
// read lock.
std::optional<QString> SiteTableProblem(sqlite3* db, const QString& path, EngineResult* engine)
{
    *engine = {};
    // A failure's message is taken at once: the commit below would replace it.
    const auto failed = [&](int rc) {
        *engine = EngineFailure(db, rc);
        return std::nullopt;
    };
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const auto end = qScopeGuard([db] {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    {
        SiteRecordset rs(db, "select * from main limit 0");
        if (const int rc = rs.PrepareResult(); rc != SQLITE_OK) {
            if ((rc & 0xff) == SQLITE_ERROR) // no table main
                return u"没有 main 表"_s;
            return failed(rc); // the caller reports the engine's error
        }
        if (std::optional<QString> missing = rs.MapColumns())
            return u"main 表缺少字段 %1"_s.arg(*missing);
    }
    bool idIsRowNumber = false;
    if (const int rc = IdIsRowNumber(db, &idIsRowNumber); rc != SQLITE_OK)
        return failed(rc);
    if (!idIsRowNumber)
        return u"main 表的 Id 字段不是整数主键（INTEGER PRIMARY KEY），无法保证按编号找到正确的站点"_s;
    QByteArray pages, pageSize, journal;
    for (auto [sql, out] : {std::pair{"pragma page_count", &pages}, std::pair{"pragma page_size", &pageSize},
                            std::pair{"pragma journal_mode", &journal}}) {
        if (const int rc = QueryText(db, sql, out); rc != SQLITE_OK)
            return failed(rc);
    }
    // in WAL mode the newest pages live in the -wal file, not yet in the database file
    const qint64 expected = pages.toLongLong() * pageSize.toLongLong();
    const qint64 size = QFileInfo(path).size();
    if (journal.toLower() != "wal" && size < expected)
        return u"文件不完整，只有 %1 字节，应有 %2 字节"_s.arg(size).arg(expected);
    return std::nullopt;
}

// DIY.xqd from sdk.dll: copied to a temporary name, synced and checked, then linked to
// DIY.xqd, which fails rather than replace a DIY.xqd that appeared meanwhile.
std::optional<OperatorError> CreateFromTemplate(const QString& templatePath, const QString& target,
                                                std::chrono::milliseconds timeout)
{
    if (!FileExists(templatePath))
        return TemplateMissing(templatePath, target);
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly))
        return TemplateUnreadable(templatePath, target, source.errorString());

    // created like any new file (0666 less the umask), so the posting product can open it
    PartialFile copy(target);
    if (copy.fd() < 0)
        return DirectoryNotWritable(DatabaseOperation::Open, target, copy.errorString());
    QByteArray chunk;
    QString why;
    while (why.isEmpty() && !(chunk = source.read(1 << 20)).isEmpty())
        why = copy.Write(chunk);
    if (why.isEmpty() && source.error() != QFile::NoError)
        why = source.errorString();
    if (why.isEmpty())
        why = copy.SyncAndClose();
    if (!why.isEmpty())
        return CopyFailed(templatePath, target, why);

    {
        sqlite3* raw = nullptr;
        const int rc = OpenConnection(copy.fileName(), SQLITE_OPEN_READONLY, timeout, &raw);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> check(raw, &sqlite3_close);
        EngineResult engine = rc == SQLITE_OK ? EngineResult{} : EngineFailure(raw, rc);
        std::optional<QString> problem;
        if (rc == SQLITE_OK)
            problem = SiteTableProblem(raw, copy.fileName(), &engine);
        if (problem || engine.rc != SQLITE_OK)
            return TemplateDamaged(templatePath, target, problem ? *problem : engine.message);
    }

    if (::link(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        // EEXIST: another start created it first; it is kept and opened as it is.
        if (err != EEXIST && !QFile::rename(copy.fileName(), target) && !FileExists(target))
            return CreateFailed(target, ErrnoText(err));
    }
    SyncDirectory(QFileInfo(target).absolutePath());
    return std::nullopt;
}

} // namespace sitecapture
