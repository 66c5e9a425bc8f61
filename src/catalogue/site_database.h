#pragma once
// The site database DIY.xqd: opening (from the template sdk.dll on first start), listing,
// loading, deleting, adding and updating rows of table main.

#include "base/operator_error.h"
#include "catalogue/save_encoding.h"
#include "catalogue/site_record.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace sitecapture {

inline constexpr char16_t kSiteDatabaseFile[] = u"DIY.xqd";
// Long enough for the posting product to finish what it is doing with the file.
inline constexpr std::chrono::milliseconds kDefaultBusyTimeout{5000};

class SiteDatabase {
public:
    SiteDatabase(SiteDatabase&&) noexcept;
    SiteDatabase& operator=(SiteDatabase&&) noexcept;
    ~SiteDatabase();

    const QString& Path() const { return path_; }

    // Every row, in ascending Id order.
    Result<std::vector<SiteRecord>> ListSites();
    // The same into records kept by the caller, as the site list does at every rebuild: the
    // texts of the earlier listing are overwritten in place where they are not shared, so a
    // rebuild does not allocate the whole table again. On failure `rows` is left incomplete.
    Status ListSitesInto(std::vector<SiteRecord>& rows);
    // What the site list shows of every row, in ascending Id order: only the columns it needs
    // are read, so a hundred thousand sites list in a fraction of the full rows' time and
    // memory.
    Result<std::vector<SiteListRow>> ListSiteRows();
    // The row with this Id, or nothing when there is none.
    Result<std::optional<SiteRecord>> LoadSite(qint64 id);
    // True when a row was deleted; a missing Id changes nothing.
    Result<bool> DeleteSite(qint64 id);
    // Adds a row with the written fields (the others keep the default); returns its new Id.
    Result<qint64> AddSite(const std::vector<FieldWrite>& writes);
    // Writes the fields into the row with this Id; RowVanished when it is gone.
    Status UpdateSite(qint64 id, const std::vector<FieldWrite>& writes);

private:
    friend Result<SiteDatabase> OpenSiteDatabaseFile(const QString&, const QString&, std::chrono::milliseconds);
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    SiteDatabase(std::unique_ptr<sqlite3, Closer> db, QString path, std::chrono::milliseconds timeout);

    std::unique_ptr<sqlite3, Closer> db_;
    QString path_;
    std::chrono::milliseconds busyTimeout_;
};

// Opens directory/DIY.xqd, first copying directory/sdk.dll to it when it is missing.
// An existing DIY.xqd is never replaced; nothing is written to a file that fails to open.
Result<SiteDatabase> OpenSiteDatabase(const QString& directory,
                                        std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);
// The same for any file, made from templateFile when it is missing.
Result<SiteDatabase> OpenSiteDatabaseFile(const QString& file, const QString& templateFile,
                                          std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);

// The save of the wizard: adds a row when editingId is 0, otherwise updates that row.
// Returns the row's Id.
Result<qint64> SaveSite(SiteDatabase& db, qint64 editingId, const SiteTexts& texts);

} // namespace sitecapture
