#include "catalogue/site_database.h"

#include "catalogue/database_messages.h"
#include "catalogue/site_file.h"
#include "catalogue/site_recordset.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

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
constexpr char kListRowsSql[] = "select Id, engname, Name, asp, xxfburl from main order by ID";
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

} // namespace

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

Result<SiteDatabase> OpenSiteDatabase(const QString& directory, std::chrono::milliseconds busyTimeout)
{
    const QDir dir(directory);
    return OpenSiteDatabaseFile(dir.absoluteFilePath(QString::fromUtf16(kSiteDatabaseFile)),
                                dir.absoluteFilePath(QString::fromUtf16(kTemplateFile)), busyTimeout);
}

Result<SiteDatabase> OpenSiteDatabaseFile(const QString& file, const QString& templateFile,
                                          std::chrono::milliseconds busyTimeout)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    if (!FileExists(path)) {
        if (QFileInfo::exists(path))
            return Damaged(DatabaseOperation::Open, path, u"同名的不是普通文件"_s);
        if (std::optional<OperatorError> e = CreateFromTemplate(templateFile, path, busyTimeout))
            return *e;
    }
    sqlite3* raw = nullptr;
    int rc = OpenConnection(path, SQLITE_OPEN_READWRITE, busyTimeout, &raw);
    std::unique_ptr<sqlite3, SiteDatabase::Closer> db(raw);
    if (rc != SQLITE_OK)
        return EngineError(raw, rc, DatabaseOperation::Open, path, busyTimeout);
    EngineResult engine;
    if (std::optional<QString> problem = SiteTableProblem(raw, path, &engine))
        return Damaged(DatabaseOperation::Open, path, *problem);
    if (engine.rc != SQLITE_OK)
        return EngineError(engine, DatabaseOperation::Open, path, busyTimeout);
    return SiteDatabase(std::move(db), path, busyTimeout);
}

Result<std::vector<SiteRecord>> SiteDatabase::ListSites()
{
    std::vector<SiteRecord> rows;
    Status done = ListSitesInto(rows);
    if (!done)
        return done.error();
    return rows;
}

namespace {

// The number of rows, for sizing a listing; 0 when it cannot be told (the listing says why).
std::size_t RowCountHint(sqlite3* db)
{
    SiteRecordset count(db, "select count(*) from main");
    if (count.PrepareResult() != SQLITE_OK || count.Step() != SQLITE_ROW)
        return 0;
    return std::size_t(std::max<sqlite3_int64>(0, sqlite3_column_int64(count.statement(), 0)));
}

} // namespace

Status SiteDatabase::ListSitesInto(std::vector<SiteRecord>& rows)
{
    SiteRecordset rs(db_.get(), kListSql);
    int rc = rs.PrepareResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::List, path_, busyTimeout_);
    if (std::optional<QString> missing = rs.MapColumns())
        return Damaged(DatabaseOperation::List, path_, u"main 表缺少字段 %1"_s.arg(*missing));
    // growing the vector row by row would move every record several times
    rows.reserve(RowCountHint(db_.get()));
    std::size_t n = 0;
    while ((rc = rs.Step()) == SQLITE_ROW) {
        if (n == rows.size())
            rows.emplace_back();
        rs.ReadInto(rows[n++]);
    }
    rows.resize(n);
    if (rc != SQLITE_DONE)
        return EngineError(db_.get(), rc, DatabaseOperation::List, path_, busyTimeout_);
    return std::monostate{};
}

Result<std::vector<SiteListRow>> SiteDatabase::ListSiteRows()
{
    SiteRecordset rs(db_.get(), kListRowsSql);
    int rc = rs.PrepareResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::List, path_, busyTimeout_);
    std::vector<SiteListRow> rows;
    rows.reserve(RowCountHint(db_.get()));
    while ((rc = rs.Step()) == SQLITE_ROW) {
        SiteListRow& r = rows.emplace_back();
        r.Id = sqlite3_column_int64(rs.statement(), 0);
        rs.ReadText(1, r.engname);
        rs.ReadText(2, r.Name);
        rs.ReadText(3, r.asp);
        rs.ReadText(4, r.xxfburl);
    }
    if (rc != SQLITE_DONE)
        return EngineError(db_.get(), rc, DatabaseOperation::List, path_, busyTimeout_);
    return rows;
}

Result<std::optional<SiteRecord>> SiteDatabase::LoadSite(qint64 id)
{
    SiteRecordset rs(db_.get(), kOneSiteSql);
    int rc = rs.PrepareResult();
    if (rc == SQLITE_OK)
        rc = rs.BindId(1, id);
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Load, path_, busyTimeout_);
    if (std::optional<QString> missing = rs.MapColumns())
        return Damaged(DatabaseOperation::Load, path_, u"main 表缺少字段 %1"_s.arg(*missing));
    rc = rs.Step();
    if (rc == SQLITE_ROW)
        return std::optional<SiteRecord>(rs.Record());
    if (rc == SQLITE_DONE)
        return std::optional<SiteRecord>();
    return EngineError(db_.get(), rc, DatabaseOperation::Load, path_, busyTimeout_);
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

Result<bool> SiteDatabase::DeleteSite(qint64 id)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Delete, path_, busyTimeout_);
    rc = FindRow(db_.get(), id);
    if (rc == SQLITE_DONE)
        return false;
    if (rc == SQLITE_ROW)
        rc = StepWrite(db_.get(), kDeleteSql, {}, id);
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Delete, path_, busyTimeout_);
    return true;
}

Result<qint64> SiteDatabase::AddSite(const std::vector<FieldWrite>& writes)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc == SQLITE_OK)
        rc = StepWrite(db_.get(), InsertSql(writes), writes, std::nullopt);
    // Id is the row number (checked at opening): the engine's number for the row is its Id.
    const qint64 id = sqlite3_last_insert_rowid(db_.get());
    if (rc == SQLITE_OK && id <= 0)
        return NoPositiveId(path_, id); // rolled back with the transaction
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Add, path_, busyTimeout_);
    return id;
}

Status SiteDatabase::UpdateSite(qint64 id, const std::vector<FieldWrite>& writes)
{
    WriteTransaction tx(db_.get());
    int rc = tx.BeginResult();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Update, path_, busyTimeout_);
    rc = FindRow(db_.get(), id);
    if (rc == SQLITE_DONE)
        return RowVanished(path_, id);
    if (rc == SQLITE_ROW)
        rc = AnyWritten(writes) ? StepWrite(db_.get(), UpdateSql(writes), writes, id) : SQLITE_OK;
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK)
        return EngineError(db_.get(), rc, DatabaseOperation::Update, path_, busyTimeout_);
    return std::monostate{};
}

Result<qint64> SaveSite(SiteDatabase& db, qint64 editingId, const SiteTexts& texts)
{
    if (editingId == 0)
        return db.AddSite(SaveEncoding(texts, SaveKind::NewSite));
    Status done = db.UpdateSite(editingId, SaveEncoding(texts, SaveKind::EditedSite));
    if (!done)
        return done.error();
    return editingId;
}

} // namespace sitecapture
