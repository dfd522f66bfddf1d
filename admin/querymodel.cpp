#include "querymodel.h"

QueryModel::QueryModel(qb::Query& query, QVector<int> columns, QObject* parent)
    : QAbstractTableModel(parent), query_(query), columns_(std::move(columns)) {}

void QueryModel::reload() {
    beginResetModel();
    endResetModel();
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_.active() ? 0 : query_.recordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

bool QueryModel::pending(int row) const {
    return query_.state() == qb::Query::State::Edit && query_.recNo() == row + 1;
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const int column = columns_.at(index.column());
    const QVariant value =
        pending(index.row()) ? query_.value(column) : query_.valueAt(index.row(), column);
    return value.isNull() ? QVariant(QString()) : value;
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !query_.active())
        return QAbstractTableModel::headerData(section, orientation, role);
    return query_.fieldName(columns_.at(section));
}

Qt::ItemFlags QueryModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return editable_ ? f | Qt::ItemIsEditable : f;
}

bool QueryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || role != Qt::EditRole || !index.isValid()) return false;
    const int column = columns_.at(index.column());
    if (!pending(index.row())) {
        if (query_.state() == qb::Query::State::Edit) return false;  // another row's change
        query_.setRecNo(index.row() + 1);
        query_.edit();
    }
    query_.setValue(column, value);
    emit dataChanged(index, index);
    return true;
}
