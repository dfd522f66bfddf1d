#include "monthmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QHash>
#include <limits>

#include "fr_dat.h"
#include "messages.h"
#include "rowkinds.h"

namespace {

const char* const kTitles[] = {"记账日期", "凭证号",   "票号",   "摘要",   "借方",  "贷方",
                               "余额",     "凭证张数", "报销人", "经办人", "账簿号"};
const int kWidths[] = {80, 50, 80, 250, 90, 90, 90, 65, 60, 60, 0};
// Text widths the journal table holds; 0: not typed in the grid.
const int kTextWidths[] = {0, 0, 15, 50, 0, 0, 0, 0, 10, 10, 10};

bool isAmount(int column) {
    return column == MonthModel::JJe || column == MonthModel::DJe || column == MonthModel::YJe;
}

void refuse(const QString& text) {
    qb::messages().plain(text);
}

}  // namespace

MonthModel::MonthModel(qb::Query& query, QObject* parent)
    : QAbstractTableModel(parent), query_(query) {}

int MonthModel::designWidth(int column) {
    return kWidths[column];
}
QString MonthModel::title(int column) {
    return QString::fromUtf8(kTitles[column]);
}

int MonthModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(ids_.size());
}

int MonthModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString MonthModel::summaryAt(int row) const {
    return query_.valueAt(row, Zy).toString();
}

bool MonthModel::isMarkerRow(int row) const {
    return qb::rows::isMarker(summaryAt(row));
}

qb::money::Cents MonthModel::centsAt(int row, int column) const {
    return qb::money::toCents(query_.valueAt(row, column).toDouble());
}

qb::money::Cents MonthModel::sum(int column) const {
    qb::money::Cents total = 0;
    for (int row = 0; row < rowCount(); ++row)
        if (!isMarkerRow(row)) total += centsAt(row, column);
    return total;
}

int MonthModel::rowOf(qint64 rowId) const {
    return int(ids_.indexOf(rowId));
}

QVariant MonthModel::display(int row, int column) const {
    const QVariant v = query_.valueAt(row, column);
    if (v.isNull()) return QString();
    if (isAmount(column)) return qb::money::grouped(qb::money::toCents(v.toDouble()));
    if (column == Dzrq) return v.toString().left(10);
    return v.toString();
}

QVariant MonthModel::font(int row) const {
    if (!isMarkerRow(row)) return {};
    QFont bold;
    bold.setBold(true);
    return bold;
}

QVariant MonthModel::foreground(int row) const {
    QVariant colour;
    if (centsAt(row, JJe) == 0) colour = QBrush(QColor(0, 128, 0));
    const QString zy = summaryAt(row);
    if (qb::rows::isReversed(zy)) colour = QBrush(QColor(0, 0, 255));
    if (qb::rows::isReversal(zy)) colour = QBrush(QColor(255, 0, 0));
    return colour;
}

QVariant MonthModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return display(row, column);
        case Qt::EditRole: {
            const QVariant v = query_.valueAt(row, column);
            if (column == Dzrq) return QDate::fromString(v.toString().left(10), Qt::ISODate);
            if (isAmount(column)) return qb::money::text(qb::money::toCents(v.toDouble()));
            if (column == Pzh || column == Pzn) return v.toInt();
            return v.toString();
        }
        case Qt::FontRole:
            return font(row);
        case Qt::ForegroundRole:
            return foreground(row);
        case Qt::BackgroundRole:
            if (column == Pzn || column == Bxr || column == Jbr)
                return QBrush(QColor(255, 255, 225));
            return {};
        case Qt::TextAlignmentRole:
            if (column == Dzrq) return int(Qt::AlignCenter);
            if (isAmount(column) || column == Pzh || column == Pzn)  // numbers
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant MonthModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return title(section);
    return {};
}

Qt::ItemFlags MonthModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || readOnly_) return f;
    const int column = index.column();
    if (column == YJe || column == Jbr || column == Zbh || isMarkerRow(index.row())) return f;
    return f | Qt::ItemIsEditable;
}

void MonthModel::setReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

std::optional<QVariant> MonthModel::checked(int column, const QVariant& value) {
    if (column == Dzrq) {
        const QDate date = value.typeId() == QMetaType::QDate
                               ? value.toDate()
                               : QDate::fromString(value.toString().trimmed(), Qt::ISODate);
        if (!date.isValid()) {
            refuse(QStringLiteral("无效的日期，请按 YYYY-MM-DD 输入！"));
            return std::nullopt;
        }
        return date.toString(Qt::ISODate);
    }
    if (isAmount(column)) {
        const auto cents =
            qb::money::parse(value.toString().isEmpty() ? QStringLiteral("0") : value.toString());
        if (!cents) {
            refuse(QStringLiteral("无效的金额，请输入最多两位小数的数字！"));
            return std::nullopt;
        }
        if (!qb::money::withinLimit(*cents)) {
            refuse(qb::money::beyondLimit(*cents));
            return std::nullopt;
        }
        return qb::money::fromCents(*cents);
    }
    if (column == Pzh || column == Pzn) {
        bool ok = false;
        const int n = value.toString().trimmed().isEmpty() ? 0 : value.toString().toInt(&ok);
        if ((!ok && !value.toString().trimmed().isEmpty()) || n < 0 ||
            n > std::numeric_limits<qint16>::max()) {
            refuse(QStringLiteral("%1必须是 0 到 32767 之间的整数！").arg(title(column)));
            return std::nullopt;
        }
        return n;
    }
    const QString text = value.toString();
    if (kTextWidths[column] > 0 && text.size() > kTextWidths[column]) {
        refuse(QStringLiteral("%1最多 %2 个字符！").arg(title(column)).arg(kTextWidths[column]));
        return std::nullopt;
    }
    return text;
}

bool MonthModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const std::optional<QVariant> stored = checked(index.column(), value);
    if (!stored) return false;
    // Leaving a cell unchanged writes nothing, so it starts no propagation.
    const QVariant old = query_.valueAt(index.row(), index.column());
    if (isAmount(index.column())
            ? qb::money::toCents(old.toDouble()) == qb::money::toCents(stored->toDouble())
            : old.toString() == stored->toString() && !old.isNull())
        return false;
    return writeCell && writeCell(index.row(), index.column(), *stored);
}

void MonthModel::readIds() {
    ids_.clear();
    if (!query_.active()) return;
    const int count = query_.recordCount();
    ids_.reserve(count);
    for (int row = 1; row <= count; ++row) {
        query_.setRecNo(row);
        ids_.append(query_.rowId());
    }
    if (count > 0) query_.first();
}

void MonthModel::resetFromQuery() {
    beginResetModel();
    readIds();
    endResetModel();
}

void MonthModel::reload() {
    const QVector<qint64> before = ids_;
    try {
        query_.open();
    } catch (...) {
        resetFromQuery();
        throw;
    }
    if (query_.recordCount() != before.size()) return resetFromQuery();
    // Same number of rows: a layout change keeps the views' current cell and open editor on
    // their row, wherever the row went.
    emit layoutAboutToBeChanged();
    readIds();
    QHash<qint64, int> rowOfId;
    for (int row = 0; row < ids_.size(); ++row)
        rowOfId.insert(ids_[row], row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& i : from) {
        const int row = rowOfId.value(before.value(i.row()), -1);
        to.append(row < 0 ? QModelIndex() : index(row, i.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}
