#include "ledgercopy.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <memory>

#include "engine.h"
#include "errors.h"
#include "files.h"
#include "fr_dat.h"
#include "schema.h"
#include "tables.h"

namespace qb::ledgercopy {
namespace {

// Rows go into the target many to a statement: a ledger of a million lines would otherwise wait
// on a million round trips to a server. The file's engine takes at most 999 values a statement.
constexpr int kValuesPerInsert = 999;
constexpr int kRowsPerSlice = 20000;

// The tables that keep the ledger and are made with it; the staging tables hold nothing from one
// printout to the next.
QStringList keptTables() {
    QStringList tables;
    for (const schema::Table& table : schema::tables())
        if (table.made == schema::Made::WithLedger && !table.staging) tables << table.name;
    return tables;
}

qint64 rowCount(engine::Connection& con, const QString& table) {
    engine::Statement& count = con.prepare(QStringLiteral("select count(*) from ") + table);
    count.bind({});
    const qint64 rows = count.step() ? count.value(0).toLongLong() : 0;
    count.reset();
    return rows;
}

QString insertText(const QString& table, const QStringList& columns, int rows) {
    const QString marks = QLatin1Char('(') +
                          QStringList(columns.size(), QStringLiteral("?")).join(',') +
                          QLatin1Char(')');
    return QStringLiteral("insert into %1(%2) values %3")
        .arg(table, columns.join(QLatin1Char(',')), QStringList(rows, marks).join(','));
}

// The table's rows with their row ids, in the order of their row ids, read a slice at a time so
// that a table of a million lines never sits in memory whole; returns how many.
qint64 copyTable(engine::Connection& from, engine::Connection& to, const QString& table,
                 const Progress& progress) {
    engine::Statement& read =
        from.prepare(QStringLiteral("select %1,* from %2 where %1>? order by %1 limit %3")
                         .arg(from.rowIdColumn(), table)
                         .arg(kRowsPerSlice));
    QStringList columns{to.rowIdColumn()};
    for (int c = 1; c < read.columnCount(); ++c)
        columns << read.columnName(c);
    const int rowsPerInsert = std::max(1, kValuesPerInsert / int(columns.size()));
    QVariantList batch;
    int inBatch = 0;
    const auto flush = [&] {
        if (inBatch > 0) to.execute(insertText(table, columns, inBatch), batch);
        batch.clear();
        inBatch = 0;
    };
    qint64 copied = 0, last = std::numeric_limits<qint64>::min();
    for (qint64 before = -1; before != copied;) {
        before = copied;
        read.bind({last});
        try {
            while (read.step()) {
                last = read.value(0).toLongLong();
                for (int c = 0; c < columns.size(); ++c)
                    batch << read.value(c);
                ++copied;
                if (++inBatch == rowsPerInsert) flush();
            }
        } catch (...) {
            read.reset();
            throw;
        }
        flush();
        if (progress && copied > before) progress(table, copied, false);
    }
    to.continueRowIds(table);
    return copied;
}

// Everything kept, from the source's one state into the target's open transaction: the ledger's
// tables, and those made on first use that the source has made.
RowCounts copyTables(engine::Connection& from, engine::Connection& to, bool onServer,
                     const Progress& progress) {
    QStringList tables = keptTables();
    for (const QString& table : schema::names(schema::Made::OnFirstUse)) {
        if (!from.hasTable(table)) continue;
        tables << table;
        if (!to.hasTable(table))
            for (const QString& statement :
                 schema::createStatements(schema::table(table), onServer))
                to.execute(statement);
    }
    RowCounts counts;
    for (const QString& table : tables) {
        const qint64 copied = copyTable(from, to, table, progress);
        const qint64 source = rowCount(from, table), target = rowCount(to, table);
        if (copied != source || target != source)
            throw DbError(QStringLiteral("数据表 %1 复制后有 %2 行，原账本有 %3 行")
                              .arg(table)
                              .arg(target)
                              .arg(source));
        counts[table] = copied;
        if (progress) progress(table, copied, true);
    }
    return counts;
}

// A server database takes a copy when it holds no ledger table at all, or the seven all empty;
// returns whether the tables are still to be made.
bool acceptServerTarget(engine::Connection& con) {
    const QStringList ledgerTables = schema::names(schema::Made::WithLedger);
    QStringList present;
    for (const QString& table : ledgerTables)
        if (con.hasTable(table)) present << table;
    if (present.isEmpty()) return true;
    if (present.size() < ledgerTables.size())
        throw DbError(QStringLiteral("服务器上的目标数据库只有账本的一部分数据表（%1），"
                                     "不能复制到那里。")
                          .arg(present.join(QStringLiteral("、"))));
    for (const QString& table : schema::names(schema::Made::OnFirstUse))
        if (con.hasTable(table)) present << table;
    for (const QString& table : present)
        if (rowCount(con, table) > 0)
            throw DbError(
                QStringLiteral("服务器上的目标数据库中已经有账本数据（数据表 %1 不是空的），"
                               "复制只写进空的数据库。")
                    .arg(table));
    return false;
}

// One transaction on the target: committed only when every table is whole.
RowCounts fill(engine::Connection& from, engine::Connection& to, bool makeTables, bool onServer,
               const Progress& progress) {
    to.execute(QStringLiteral("begin"));
    try {
        if (makeTables) createTables(to, onServer);
        const RowCounts counts = copyTables(from, to, onServer, progress);
        to.execute(QStringLiteral("commit"));
        return counts;
    } catch (...) {
        try {
            to.execute(QStringLiteral("rollback"));
        } catch (const DbError&) {
            // The failure that brought us here is the one worth reporting.
        }
        throw;
    }
}

RowCounts copyInto(engine::Connection& from, const Target& target, const Progress& progress) {
    if (!target.place.server.isEmpty()) {
        const auto to = engine::openPostgres(target.place.server, target.password);
        const RowCounts counts = fill(from, *to, acceptServerTarget(*to), true, progress);
        // The server plans its statements from what it knows of the tables: tell it at once
        // what a bulk of new rows looks like, rather than when it next gets round to it.
        to->execute(QStringLiteral("analyze"));
        return counts;
    }
    const QString& path = target.place.file;
    if (const QString taken = files::whyTaken(path); !taken.isEmpty()) throw DbError(taken);
    files::PrivateFile building(path, files::PrivateFile::Name::UniqueBeside);
    building.finish();
    RowCounts counts;
    {
        const auto to = engine::openSqlCipher(building.path(), Tdat::keyFor(target.passphrase));
        counts = fill(from, *to, true, false, progress);
    }
    files::placeWithoutReplacing(building.path(), path);
    building.release();
    return counts;
}

}  // namespace

Place place(const QString& text) {
    static const QRegularExpression keywords(QStringLiteral("^\\s*\\w+\\s*="));
    if (text.startsWith(QLatin1String("postgresql://")) ||
        text.startsWith(QLatin1String("postgres://")) || text.contains(keywords))
        return {{}, text};
    return {text, {}};
}

RowCounts copy_ledger(Tdat& source, const Target& target, const Progress& progress) {
    if (source.inTransaction()) throw DbError(QStringLiteral("账本有未完成的更改，现在不能复制"));
    engine::Connection& from = source.con();
    const auto endReading = [&from] {
        try {
            from.execute(QStringLiteral("rollback"));
        } catch (const DbError&) {
            // Reading only: nothing to keep or lose.
        }
    };
    from.beginSnapshot();
    try {
        const RowCounts counts = copyInto(from, target, progress);
        endReading();
        return counts;
    } catch (const PasswordNeeded&) {
        endReading();
        throw;
    } catch (const DbError& e) {
        endReading();
        throw DbError(QStringLiteral("账本没有复制，目标保持原样：%1").arg(e.message()));
    }
}

}  // namespace qb::ledgercopy
