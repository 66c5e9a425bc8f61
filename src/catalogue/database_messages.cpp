#include "catalogue/database_messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace sitecapture {
namespace {

// What the operator was doing, the first half of every message.
QString Doing(DatabaseOperation op)
{
    switch (op) {
    case DatabaseOperation::Open: return u"无法打开站点数据库"_s;
    case DatabaseOperation::List: return u"无法读取站点列表"_s;
    case DatabaseOperation::Load: return u"无法读取要编辑的站点"_s;
    case DatabaseOperation::Delete: return u"无法删除站点"_s;
    case DatabaseOperation::Add: return u"无法保存新站点"_s;
    case DatabaseOperation::Update: return u"无法保存对站点的修改"_s;
    }
    return {};
}

// The file a path names, links followed: its directory is the one that must take writes.
QString RealFile(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
}

QString DirectoryOf(const QString& path)
{
    return NativePath(QFileInfo(RealFile(path)).absolutePath());
}

QString Seconds(std::chrono::milliseconds t)
{
    return QString::number(double(t.count()) / 1000.0, 'g', 3);
}

bool DirectoryWritable(const QString& path)
{
    return ::access(QFile::encodeName(QFileInfo(RealFile(path)).absolutePath()).constData(), W_OK) == 0;
}

} // namespace

QString NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

OperatorError Damaged(DatabaseOperation op, const QString& path, const QString& detail)
{
    return {ErrorKind::Damaged, path,
            u"%1：%2 不是有效的站点数据库，或者已经损坏（%3）。"_s.arg(Doing(op), NativePath(path), detail)};
}

OperatorError DirectoryNotWritable(DatabaseOperation op, const QString& path, const QString& detail)
{
    const QString real = RealFile(path);
    const QString file = real == QFileInfo(path).absoluteFilePath()
        ? NativePath(path)
        : u"%1 链接到的 %2"_s.arg(NativePath(path), NativePath(real));
    return {ErrorKind::NotWritable, path,
            u"%1：目录 %2 不可写，无法写入 %3（%4）。请检查该目录的写入权限。"_s.arg(
                Doing(op), DirectoryOf(path), file, detail)};
}

OperatorError FileNotWritable(DatabaseOperation op, const QString& path, const QString& detail)
{
    return {ErrorKind::NotWritable, path,
            u"%1：%2 是只读文件，不能写入（%3）。请检查该文件的写入权限。"_s.arg(Doing(op), NativePath(path), detail)};
}

EngineResult EngineFailure(sqlite3* db, int rc)
{
    return {rc, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
}

OperatorError EngineError(sqlite3* db, int rc, DatabaseOperation op, const QString& path,
                          std::chrono::milliseconds timeout)
{
    return EngineError(EngineFailure(db, rc), op, path, timeout);
}

OperatorError EngineError(const EngineResult& result, DatabaseOperation op, const QString& path,
                          std::chrono::milliseconds timeout)
{
    const int rc = result.rc;
    const QString& detail = result.message;
    const QString file = NativePath(path);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {ErrorKind::Locked, path,
                u"%1：%2 正被其他程序使用，等待 %3 秒后仍未释放（%4）。请稍后重试，或先关闭正在使用该文件的程序。"_s
                    .arg(Doing(op), file, Seconds(timeout), detail)};
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Damaged(op, path, detail);
    case SQLITE_READONLY:
        if (rc == SQLITE_READONLY_DIRECTORY || !DirectoryWritable(path))
            return DirectoryNotWritable(op, path, detail);
        return FileNotWritable(op, path, detail);
    case SQLITE_CANTOPEN:
        // on a write this is the rollback journal that cannot be created beside the file
        if (op != DatabaseOperation::Open && op != DatabaseOperation::List && op != DatabaseOperation::Load)
            return DirectoryNotWritable(op, path, detail);
        break;
    case SQLITE_FULL:
        return {ErrorKind::Failed, path, u"%1：磁盘空间不足，无法写入 %2（%3）。"_s.arg(Doing(op), file, detail)};
    default:
        break;
    }
    return {ErrorKind::Failed, path, u"%1：读写 %2 时出错（%3）。"_s.arg(Doing(op), file, detail)};
}

OperatorError NoPositiveId(const QString& path, qint64 id)
{
    return {ErrorKind::Failed, path,
            u"%1：%2 给新站点分配的编号是 %3，不是正数，站点没有保存。该文件中的编号可能已被其他程序改动。"_s.arg(
                Doing(DatabaseOperation::Add), NativePath(path), QString::number(id))};
}

OperatorError RowVanished(const QString& path, qint64 id)
{
    return {ErrorKind::RowVanished, path,
            u"%1：编号为 %2 的站点已不在 %3 中，可能已被删除。请回到站点列表重新选择。"_s.arg(
                Doing(DatabaseOperation::Update), QString::number(id), NativePath(path))};
}

OperatorError TemplateMissing(const QString& templatePath, const QString& target)
{
    return {ErrorKind::TemplateMissing, templatePath,
            u"%1：%2 不存在，用来创建它的模板文件 %3 也不存在。请把 sdk.dll 放回程序目录后重新启动。"_s.arg(
                Doing(DatabaseOperation::Open), NativePath(target), NativePath(templatePath))};
}

OperatorError TemplateUnreadable(const QString& templatePath, const QString& target, const QString& detail)
{
    return {ErrorKind::Failed, templatePath,
            u"%1：无法读取模板文件 %2（%3），没有创建 %4。"_s.arg(
                Doing(DatabaseOperation::Open), NativePath(templatePath), detail, NativePath(target))};
}

OperatorError TemplateDamaged(const QString& templatePath, const QString& target, const QString& detail)
{
    return {ErrorKind::TemplateDamaged, templatePath,
            u"%1：模板文件 %2 不是有效的站点数据库（%3），没有创建 %4。"_s.arg(
                Doing(DatabaseOperation::Open), NativePath(templatePath), detail, NativePath(target))};
}

OperatorError CopyFailed(const QString& templatePath, const QString& target, const QString& detail)
{
    return {ErrorKind::Failed, target,
            u"%1：把模板 %2 复制为 %3 时出错（%4）。"_s.arg(
                Doing(DatabaseOperation::Open), NativePath(templatePath), NativePath(target), detail)};
}

OperatorError CreateFailed(const QString& target, const QString& detail)
{
    return {ErrorKind::Failed, target,
            u"%1：无法从模板创建 %2（%3）。"_s.arg(Doing(DatabaseOperation::Open), NativePath(target), detail)};
}

} // namespace sitecapture
