#pragma once

#include <QAbstractTableModel>
#include <QVector>

#include "fr_dat.h"

// The rows of a qb::Query for a grid: chosen columns of the query, titled by their field names.
// An editable model keeps a changed cell as the query's pending edit of that row; the window
// decides when the edit is posted (the grid's cursor leaving the row) or dropped.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    QueryModel(qb::Query& query, QVector<int> columns, QObject* parent = nullptr);

    void setEditable(bool editable) { editable_ = editable; }
    // Call after the query was reopened or its rows changed.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // True while the row holds a change not yet written.
    bool pending(int row) const;

private:
    qb::Query& query_;
    QVector<int> columns_;
    bool editable_ = false;
};
