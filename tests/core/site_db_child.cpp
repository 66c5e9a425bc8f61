// Child process for the reliability tests of the site database.
//   site_db_child save-loop DIR SEED   saves rows until killed, one line per commit
//   site_db_child add DIR              opens DIR and adds one row; as root it first becomes
//                                      uid/gid 65534 so that file permissions apply
//   site_db_child open-at FILE TEMPLATE  opens FILE as the program's start does, also as 65534
// Lines on stdout: "ready", "added ID SEQ", "updated ID SEQ", "dir-writable 0|1", "ok ID",
// "error FAULT MESSAGE", "skip REASON".

#include "site_db_loop_rows.h"

#include "catalogue/database_location.h"

#include <QDir>
#include <QFile>

#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>

using namespace sitecapture;
using namespace sitecapture::testing;

namespace {

void Say(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int Error(const OperatorError& e)
{
    Say(QStringLiteral("error %1 %2").arg(int(e.kind)).arg(e.message));
    return 1;
}

int SaveLoop(const QString& dir, unsigned seed)
{
    Result<SiteDatabase> db = OpenSiteDatabase(dir);
    if (!db)
        return Error(db.error());
    Say("ready");
    Result<std::vector<SiteRecord>> existing = db.value().ListSites();
    if (!existing)
        return Error(existing.error());
    std::vector<qint64> ids;
    quint32 seq = 0;
    for (const SiteRecord& r : existing.value()) {
        ids.push_back(r.Id);
        if (std::optional<quint32> s = CompleteLoopRow(r))
            seq = std::max(seq, *s);
    }
    std::mt19937 rng(seed);
    for (;;) {
        ++seq;
        // a small table: add a few rows, then mostly rewrite them, now and then add one more
        if (ids.size() < 5 || rng() % 8 == 0) {
            Result<qint64> id = db.value().AddSite(LoopRow(seq));
            if (!id)
                return Error(id.error());
            ids.push_back(id.value());
            Say(QStringLiteral("added %1 %2").arg(id.value()).arg(seq));
        } else {
            const qint64 id = ids[rng() % ids.size()];
            Status done = db.value().UpdateSite(id, LoopRow(seq));
            if (!done)
                return Error(done.error());
            Say(QStringLiteral("updated %1 %2").arg(id).arg(seq));
        }
    }
}

int AddOne(const QString& dir)
{
    Result<SiteDatabase> db = OpenSiteDatabase(dir, std::chrono::milliseconds(200));
    if (!db)
        return Error(db.error());
    Result<qint64> id = db.value().AddSite(LoopRow(1));
    if (!id)
        return Error(id.error());
    Say(QStringLiteral("ok %1").arg(id.value()));
    return 0;
}

// As root, permissions do not stop writes: the child works as uid/gid 65534 instead.
std::optional<QString> DropRoot()
{
    if (::geteuid() != 0)
        return std::nullopt;
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
        return QStringLiteral("cannot switch to uid 65534: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return std::nullopt;
}

bool CanWriteTo(const QString& dir)
{
    QFile probe(QDir(dir).filePath("write-probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 3 && args[0] == "save-loop")
        return SaveLoop(args[1], args[2].toUInt());
    if (args.size() == 2 && args[0] == "add") {
        if (std::optional<QString> reason = DropRoot()) {
            Say("skip " + *reason);
            return 77;
        }
        Say(QStringLiteral("dir-writable %1").arg(CanWriteTo(args[1]) ? 1 : 0));
        return AddOne(args[1]);
    }
    if (args.size() == 3 && args[0] == "open-at") {
        if (std::optional<QString> reason = DropRoot()) {
            Say("skip " + *reason);
            return 77;
        }
        Result<SiteDatabase> db = OpenDatabaseAt({DatabaseSource::Option, args[1], args[2], {}});
        if (!db)
            return Error(db.error());
        Say("ok");
        return 0;
    }
    std::fputs("usage: site_db_child save-loop DIR SEED | add DIR | open-at FILE TEMPLATE\n", stderr);
    return 2;
}
