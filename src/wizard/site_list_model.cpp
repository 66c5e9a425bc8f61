#include "wizard/site_list_model.h"

using namespace Qt::StringLiterals;

namespace sitecapture {

int SiteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int SiteListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= rows_.size())
        return {};
    const SiteListRow& r = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case Industry: return r.engname;
    case SiteName: return r.Name;
    case Address: return r.asp;
    case Key: return QString::number(r.Id);
    default: return {};
    }
}

QVariant SiteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Industry: return u"行业"_s;
    case SiteName: return u"网站名称"_s;
    case Address: return u"网址"_s;
    default: return QString();
    }
}

void SiteListModel::Append(std::vector<SiteListRow> rows)
{
    if (rows.empty())
        return;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    if (rows_.empty())
        rows_ = std::move(rows);
    else
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void SiteListModel::Clear()
{
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

std::optional<qint64> SiteListModel::IdAt(int row) const
{
    if (row < 0 || std::size_t(row) >= rows_.size())
        return std::nullopt;
    return rows_[std::size_t(row)].Id;
}

} // namespace sitecapture
