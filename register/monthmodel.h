#pragma once

#include <QAbstractTableModel>
#include <QVector>
#include <functional>
#include <optional>

#include "ledger.h"
#include "money.h"

namespace qb {
class Query;
}

// The month view as the grid shows it: a table model over the rows the query holds, in the
// query's order. It formats, decides the cell styles and checks typed values; writing is left to
// the owner (writeCell), which writes through the ledger.
class MonthModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Fixed column positions of a journal row.
    using Column = qb::ledger::Column;
    using enum qb::ledger::Column;

    explicit MonthModel(qb::Query& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Reads the query's rows afresh. Rows keep their place in views when the same rows come
    // back (an edit carried on); anything else resets the views.
    void reload();
    // After the query was opened by somebody else.
    void resetFromQuery();

    void setReadOnly(bool readOnly);
    bool readOnly() const { return readOnly_; }

    qint64 rowIdAt(int row) const { return ids_.value(row); }
    int rowOf(qint64 rowId) const;  // -1 when absent
    QString summaryAt(int row) const;
    bool isMarkerRow(int row) const;
    qb::money::Cents centsAt(int row, int column) const;
    // Debit and credit of the month's lines (marker rows hold none).
    qb::money::Cents sum(int column) const;

    // Column design widths and titles, shared by the grid's header, filter and footer rows.
    static int designWidth(int column);
    static QString title(int column);

    // A typed value in the form the table stores, or nothing (after saying why) when it does not
    // fit the column. The entry panel checks its fields with it too.
    static std::optional<QVariant> checked(int column, const QVariant& value);

    // Writes a checked value into a row; returns false when nothing was written.
    std::function<bool(int row, int column, const QVariant& value)> writeCell;

private:
    QVariant display(int row, int column) const;
    // The drawing rule of a row: bold marker rows, then green, blue, red (a later colour wins).
    QVariant font(int row) const;
    QVariant foreground(int row) const;
    void readIds();

    qb::Query& query_;
    QVector<qint64> ids_;
    bool readOnly_ = false;
};
