#include "catalogue/site_database.h"

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

namespace sitecapture {
namespace {

// What the operator was doing, the first half of every message.
enum class Operation { Open, List, Load, Delete, Add, Update };

QString Doing(Operation op)
{
    switch (op) {
    case Operation::Open: return u"无法打开站点数据库"_qs;
    case Operation::List: return u"无法读取站点列表"_qs;
    case Operation::Load: return u"无法读取要编辑的站点"_qs;
    case Operation::Delete: return u"无法删除站点"_qs;
    case Operation::Add: return u"无法保存新站点"_qs;
    case Operation::Update: return u"无法保存对站点的修改"_qs;
    }
    return {};
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString DirectoryOf(const QString& path)
{
    return Native(QFileInfo(path).absolutePath());
}

QString Seconds(std::chrono::milliseconds t)
{
    return QString::number(double(t.count()) / 1000.0, 'g', 3);
}

DatabaseError Damaged(Operation op, const QString& path, const QString& detail)
{
    return {DatabaseFault::Damaged, path,
            u"%1：%2 不是有效的站点数据库，或者已经损坏（%3）。"_qs.arg(Doing(op), Native(path), detail)};
}

DatabaseError DirectoryNotWritable(Operation op, const QString& path, const QString& detail)
{
    return {DatabaseFault::NotWritable, path,
            u"%1：目录 %2 不可写，无法写入 %3（%4）。请检查该目录的写入权限。"_qs.arg(
                Doing(op), DirectoryOf(path), Native(path), detail)};
}

bool DirectoryWritable(const QString& path)
{
    return ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
}

// Turns an engine result into the operator's message: the file, the cause, and the
// engine's own words in brackets.
DatabaseError EngineError(sqlite3* db, int rc, Operation op, const QString& path,
                          std::chrono::milliseconds timeout)
{
    const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    const QString file = Native(path);
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {DatabaseFault::Locked, path,
                u"%1：%2 正被其他程序使用，等待 %3 秒后仍未释放（%4）。请稍后重试，或先关闭正在使用该文件的程序。"_qs
                    .arg(Doing(op), file, Seconds(timeout), detail)};
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Damaged(op, path, detail);
    case SQLITE_READONLY:
        if (rc == SQLITE_READONLY_DIRECTORY || !DirectoryWritable(path))
            return DirectoryNotWritable(op, path, detail);
        return {DatabaseFault::NotWritable, path,
                u"%1：%2 是只读文件，不能写入（%3）。请检查该文件的写入权限。"_qs.arg(Doing(op), file, detail)};
    case SQLITE_CANTOPEN:
        // on a write this is the rollback journal that cannot be created beside the file
        if (op != Operation::Open && op != Operation::List && op != Operation::Load)
            return DirectoryNotWritable(op, path, detail);
        break;
    case SQLITE_FULL:
        return {DatabaseFault::Failed, path,
                u"%1：磁盘空间不足，无法写入 %2（%3）。"_qs.arg(Doing(op), file, detail)};
    default:
        break;
    }
    return {DatabaseFault::Failed, path, u"%1：读写 %2 时出错（%3）。"_qs.arg(Doing(op), file, detail)};
}

// One write: BEGIN IMMEDIATE takes the write lock up front, so a busy file makes the save
// wait for the timeout instead of failing half-way; anything not committed is rolled back.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db)
        : db_(db), beginRc_(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr))
    {
    }
    ~WriteTransaction()
    {
        if (beginRc_ == SQLITE_OK && !committed_ && !sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    int BeginResult() const { return beginRc_; }
    int Commit()
    {
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        committed_ = rc == SQLITE_OK;
        return rc;
    }

private:
    sqlite3* db_;
    int beginRc_;
    bool committed_ = false;
};

// The statements; the select keeps the text the list and the record commands always used,
// with the id bound instead of appended.
constexpr char kListSql[] = "select * from main order by ID";
constexpr char kOneSiteSql[] = "select  * from main  where id=?";
constexpr char kDeleteSql[] = "delete from main where Id=?";

QByteArray Quoted(SiteField f)
{
    return '"' + QByteArray(FieldName(f)) + '"';
}

QByteArray InsertSql(const std::vector<FieldWrite>& writes)
{
    QByteArray names, marks;
    for (const FieldWrite& w : writes) {
        if (!w.value)
            continue;
        if (!names.isEmpty()) {
            names += ", ";
            marks += ", ";
        }
        names += Quoted(w.field);
        marks += '?';
    }
    if (names.isEmpty())
        return "insert into main default values";
    return "insert into main (" + names + ") values (" + marks + ")";
}

QByteArray UpdateSql(const std::vector<FieldWrite>& writes)
{
    QByteArray sets;
    for (const FieldWrite& w : writes) {
        if (!w.value)
            continue;
        if (!sets.isEmpty())
            sets += ", ";
        sets += Quoted(w.field) + "=?";
    }
    return "update main set " + sets + " where Id=?";
}

int BindWrites(SiteRecordset& rs, const std::vector<FieldWrite>& writes)
{
    int index = 0;
    for (const FieldWrite& w : writes) {
        if (!w.value)
            continue;
        const int rc = rs.BindText(++index, *w.value);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

bool AnyWritten(const std::vector<FieldWrite>& writes)
{
    for (const FieldWrite& w : writes)
        if (w.value)
            return true;
    return false;
}

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

// Cheap checks that the file is a site database: table main with every field, and no
// pages missing at the end (a copy cut short). Reads only, under one read lock.
std::optional<QString> SiteTableProblem(sqlite3* db, const QString& path, int* rc)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const auto end = qScopeGuard([db] {
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    {
        SiteRecordset rs(db, "select * from main limit 0");
        *rc = rs.PrepareResult();
        if (*rc != SQLITE_OK) {
            if ((*rc & 0xff) == SQLITE_ERROR) // no table main
                return u"没有 main 表"_qs;
            return std::nullopt; // the caller reports the engine's error
        }
        if (std::optional<QString> missing = rs.MapColumns())
            return u"main 表缺少字段 %1"_qs.arg(*missing);
    }
    QByteArray pages, pageSize, journal;
    for (auto [sql, out] : {std::pair{"pragma page_count", &pages}, std::pair{"pragma page_size", &pageSize},
                            std::pair{"pragma journal_mode", &journal}}) {
        if ((*rc = QueryText(db, sql, out)) != SQLITE_OK)
            return std::nullopt;
    }
    // in WAL mode the newest pages live in the -wal file, not yet in the database file
    const qint64 expected = pages.toLongLong() * pageSize.toLongLong();
    const qint64 size = QFileInfo(path).size();
    if (journal.toLower() != "wal" && size < expected)
        return u"文件不完整，只有 %1 字节，应有 %2 字节"_qs.arg(size).arg(expected);
    return std::nullopt;
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
            name_ = target + u".%1.partial"_qs.arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
            fd_ = ::open(QFile::encodeName(name_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            error_ = fd_ < 0 ? errno : 0;
            if (fd_ < 0 && error_ != EEXIST)
                break;
        }
        if (fd_ < 0)
            name_.clear();
    }
    ~PartialFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.isEmpty())
            ::unlink(QFile::encodeName(name_).constData());
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

// DIY.xqd from sdk.dll: copied to a temporary name, synced and checked, then linked to
// DIY.xqd, which fails rather than replace a DIY.xqd that appeared meanwhile.
std::optional<DatabaseError> CreateFromTemplate(const QString& directory, const QString& target,
                                                std::chrono::milliseconds timeout)
{
    const QString templatePath = QDir(directory).filePath(QString::fromUtf16(kTemplateFile));
    if (!FileExists(templatePath))
        return DatabaseError{DatabaseFault::TemplateMissing, templatePath,
                             u"%1：%2 不存在，用来创建它的模板文件 %3 也不存在。请把 sdk.dll 放回程序目录后重新启动。"_qs
                                 .arg(Doing(Operation::Open), Native(target), Native(templatePath))};
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly))
        return DatabaseError{DatabaseFault::Failed, templatePath,
                             u"%1：无法读取模板文件 %2（%3），没有创建 %4。"_qs.arg(
                                 Doing(Operation::Open), Native(templatePath), source.errorString(), Native(target))};

    // created like any new file (0666 less the umask), so the posting product can open it
    PartialFile copy(target);
    if (copy.fd() < 0)
        return DirectoryNotWritable(Operation::Open, target, copy.errorString());
    QByteArray chunk;
    QString why;
    while (why.isEmpty() && !(chunk = source.read(1 << 20)).isEmpty())
        why = copy.Write(chunk);
    if (why.isEmpty() && source.error() != QFile::NoError)
        why = source.errorString();
    if (why.isEmpty())
        why = copy.SyncAndClose();
    if (!why.isEmpty())
        return DatabaseError{DatabaseFault::Failed, target,
                             u"%1：把模板 %2 复制为 %3 时出错（%4）。"_qs.arg(
                                 Doing(Operation::Open), Native(templatePath), Native(target), why)};

    {
        sqlite3* raw = nullptr;
        int rc = OpenConnection(copy.fileName(), SQLITE_OPEN_READONLY, timeout, &raw);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> check(raw, &sqlite3_close);
        std::optional<QString> problem;
        if (rc == SQLITE_OK)
            problem = SiteTableProblem(raw, copy.fileName(), &rc);
        if (problem || rc != SQLITE_OK) {
            const QString detail = problem ? *problem : QString::fromUtf8(sqlite3_errstr(rc));
            return DatabaseError{DatabaseFault::TemplateDamaged, templatePath,
                                 u"%1：模板文件 %2 不是有效的站点数据库（%3），没有创建 %4。"_qs.arg(
                                     Doing(Operation::Open), Native(templatePath), detail, Native(target))};
        }
    }

    if (::link(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        // EEXIST: another start created it first; it is kept and opened as it is.
        if (err != EEXIST && !QFile::rename(copy.fileName(), target) && !FileExists(target))
            return DatabaseError{DatabaseFault::Failed, target,
                                 u"%1：无法从模板创建 %2（%3）。"_qs.arg(
                                     Doing(Operation::Open), Native(target), ErrnoText(err))};
    }
    SyncDirectory(directory);
    return std::nullopt;
}

} // namespace

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void SiteDatabase::Closer::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

SiteDatabase::SiteDatabase(std::unique_ptr<sqlite3, Closer> db, QString path, std::chrono::milliseconds timeout)
    : db_(std::move(db)), path_(std::move(path)), busyTimeout_(timeout)
{
}

SiteDatabase::SiteDatabase(SiteDatabase&&) noexcept = default;
SiteDatabase& SiteDatabase::operator=(SiteDatabase&&) noexcept = default;
SiteDatabase::~SiteDatabase() = default;

DbResult<SiteDatabase> OpenSiteDatabase(const QString& directory, std::chrono::milliseconds busyTimeout)
{
    const QString path = QDir(directory).absoluteFilePath(QString::fromUtf16(kSiteDatabaseFile));
    if (!FileExists(path)) {
        if (QFileInfo::exists(path))
            return Damaged(Operation::Open, path, u"同名的不是普通文件"_qs);
        if (std::optional<DatabaseError> e = CreateFromTemplate(directory, path, busyTimeout))
            return *e;
    }
    sqlite3* raw = nullptr;
    int rc = OpenConnection(path, SQLITE_OPEN_READWRITE, busyTimeout, &raw);
    std::unique_ptr<sqlite3, SiteDatabase::Closer> db(raw);
    if (rc != SQLITE_OK)
        return EngineError(raw, rc, Operation::Open, path, busyTimeout);
    if (std::optional<QString> problem = SiteTableProblem(raw, path, &rc))
        return Damaged(Operation::Open, path, *problem);
    if (rc != SQLITE_OK)
        return EngineError(raw, rc, Operation::Open, path, busyTimeout);
    return SiteDatabase(std::move(db), path, busyTimeout);
}

DbResult<std::vector<SiteRecord>> SiteDatabase::ListSites()
{
    std::vector<SiteRecord> rows;
    DbStatus done = ListSitesInto(rows);
    if (!done)
        return done.error();
    return rows;
}

DbStatus SiteDatabase::ListSitesInto(std::vector<SiteRecord>& rows)
{
    SiteRecordset rs(db_.get(), kListSql);
    int rc = rs.PrepareResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::List, path_, busyTimeout_);
    if (std::optional<QString> missing = rs.MapColumns())
        return Damaged(Operation::List, path_, u"main 表缺少字段 %1"_qs.arg(*missing));
    // growing the vector row by row would move every record several times; the count is a hint
    {
        SiteRecordset count(db_.get(), "select count(*) from main");
        if (count.PrepareResult() == SQLITE_OK && count.Step() == SQLITE_ROW)
            rows.reserve(std::size_t(std::max<sqlite3_int64>(0, sqlite3_column_int64(count.statement(), 0))));
    }
    std::size_t n = 0;
    while ((rc = rs.Step()) == SQLITE_ROW) {
        if (n == rows.size())
            rows.emplace_back();
        rs.ReadInto(rows[n++]);
    }
    rows.resize(n);
    if (rc != SQLITE_DONE)
        return EngineError(db_.get(), rc, Operation::List, path_, busyTimeout_);
    return std::monostate{};
}

DbResult<std::optional<SiteRecord>> SiteDatabase::LoadSite(qint64 id)
{
    SiteRecordset rs(db_.get(), kOneSiteSql);
    int rc = rs.PrepareResult();
    if (rc == SQLITE_OK)
        rc = rs.BindId(1, id);
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Load, path_, busyTimeout_);
    if (std::optional<QString> missing = rs.MapColumns())
        return Damaged(Operation::Load, path_, u"main 表缺少字段 %1"_qs.arg(*missing));
    rc = rs.Step();
    if (rc == SQLITE_ROW)
        return std::optional<SiteRecord>(rs.Record());
    if (rc == SQLITE_DONE)
        return std::optional<SiteRecord>();
    return EngineError(db_.get(), rc, Operation::Load, path_, busyTimeout_);
}

namespace {

// Steps the select of one site inside a transaction: SQLITE_ROW when the row is there.
int FindRow(sqlite3* db, qint64 id)
{
    SiteRecordset rs(db, kOneSiteSql);
    int rc = rs.PrepareResult();
    if (rc == SQLITE_OK)
        rc = rs.BindId(1, id);
    return rc == SQLITE_OK ? rs.Step() : rc;
}

int StepWrite(sqlite3* db, const QByteArray& sql, const std::vector<FieldWrite>& writes,
              std::optional<qint64> id)
{
    SiteRecordset rs(db, sql);
    int rc = rs.PrepareResult();
    if (rc == SQLITE_OK)
        rc = BindWrites(rs, writes);
    if (rc == SQLITE_OK && id)
        rc = rs.BindId(sqlite3_bind_parameter_count(rs.statement()), *id);
    if (rc == SQLITE_OK)
        rc = rs.Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

} // namespace

DbResult<bool> SiteDatabase::DeleteSite(qint64 id)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Delete, path_, busyTimeout_);
    rc = FindRow(db_.get(), id);
    if (rc == SQLITE_DONE)
        return false;
    if (rc == SQLITE_ROW)
        rc = StepWrite(db_.get(), kDeleteSql, {}, id);
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Delete, path_, busyTimeout_);
    return true;
}

DbResult<qint64> SiteDatabase::AddSite(const std::vector<FieldWrite>& writes)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc == SQLITE_OK)
        rc = StepWrite(db_.get(), InsertSql(writes), writes, std::nullopt);
    const qint64 id = sqlite3_last_insert_rowid(db_.get());
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Add, path_, busyTimeout_);
    return id;
}

DbStatus SiteDatabase::UpdateSite(qint64 id, const std::vector<FieldWrite>& writes)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Update, path_, busyTimeout_);
    rc = FindRow(db_.get(), id);
    if (rc == SQLITE_DONE)
        return DatabaseError{DatabaseFault::RowVanished, path_,
                             u"%1：编号为 %2 的站点已不在 %3 中，可能已被删除。请回到站点列表重新选择。"_qs.arg(
                                 Doing(Operation::Update), QString::number(id), Native(path_))};
    if (rc == SQLITE_ROW)
        rc = AnyWritten(writes) ? StepWrite(db_.get(), UpdateSql(writes), writes, id) : SQLITE_OK;
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, Operation::Update, path_, busyTimeout_);
    return std::monostate{};
}

DbResult<qint64> SaveSite(SiteDatabase& db, qint64 editingId, const SiteTexts& texts)
{
    if (editingId == 0)
        return db.AddSite(SaveEncoding(texts, SaveKind::NewSite));
    DbStatus done = db.UpdateSite(editingId, SaveEncoding(texts, SaveKind::EditedSite));
    if (!done)
        return done.error();
    return editingId;
}

} // namespace sitecapture
