#include "datasource.h"

#include "fr_dat.h"

namespace qb::report {

int DataSource::fieldIndex(const QString& name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (fieldName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TableDataSource::addRow(QVector<QVariant> values) {
    values.resize(names_.size());
    rows_.push_back(std::move(values));
}

QVariant TableDataSource::value(int row, int field) const {
    return rows_.at(row).value(field);
}

int QueryDataSource::rowCount() const {
    return query_.active() ? query_.recordCount() : 0;
}
int QueryDataSource::fieldCount() const {
    return query_.active() ? query_.fieldCount() : 0;
}
QString QueryDataSource::fieldName(int field) const {
    return query_.fieldName(field);
}
QVariant QueryDataSource::value(int row, int field) const {
    return query_.valueAt(row, field);
}
int QueryDataSource::fieldIndex(const QString& name) const {
    return query_.fieldIndex(name);
}

}  // namespace qb::report
