#pragma once
// The rows of the site list: industry, site name, address, and the hidden Id column. A view
// over the records, so that a hundred thousand sites cost one vector, not a widget per row.

#include "catalogue/site_record.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

namespace sitecapture {

class SiteListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Industry, SiteName, Address, Key, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Appends the rows after those already shown.
    void Append(std::vector<SiteListRow> rows);
    void Clear();
    // The Id in the hidden column of a row, as the list shows it.
    std::optional<qint64> IdAt(int row) const;

private:
    std::vector<SiteListRow> rows_;
};

} // namespace sitecapture
