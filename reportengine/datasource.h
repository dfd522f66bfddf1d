#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <vector>

namespace qb {
class Query;
}

namespace qb::report {

// The rows a report's detail band prints, read in order. Fields are addressed by position
// (0-based) or by name, matched without regard to case.
class DataSource {
public:
    virtual ~DataSource() = default;
    virtual int rowCount() const = 0;
    virtual int fieldCount() const = 0;
    virtual QString fieldName(int field) const = 0;
    virtual QVariant value(int row, int field) const = 0;
    // -1 when there is no such field.
    virtual int fieldIndex(const QString& name) const;
};

// Rows held in memory: for tests, samples and callers that build their rows themselves.
class TableDataSource : public DataSource {
public:
    explicit TableDataSource(QStringList fieldNames) : names_(std::move(fieldNames)) {}
    void addRow(QVector<QVariant> values);
    int rowCount() const override { return int(rows_.size()); }
    int fieldCount() const override { return int(names_.size()); }
    QString fieldName(int field) const override { return names_.at(field); }
    QVariant value(int row, int field) const override;

private:
    QStringList names_;
    std::vector<QVector<QVariant>> rows_;
};

// An open query of the data layer, e.g. "select * from tmp_pr order by sn": its visible rows
// in their order. The query must stay open and unchanged while the report is prepared.
class QueryDataSource : public DataSource {
public:
    explicit QueryDataSource(const qb::Query& query) : query_(query) {}
    int rowCount() const override;
    int fieldCount() const override;
    QString fieldName(int field) const override;
    QVariant value(int row, int field) const override;
    int fieldIndex(const QString& name) const override;

private:
    const qb::Query& query_;
};

}  // namespace qb::report
