#include "templedger.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "errors.h"
#include "ledger.h"
#include "schema.h"

Engine testEngine() {
    static const Engine engine =
        qgetenv("QB_TEST_ENGINE") == "server" ? Engine::Server : Engine::File;
    return engine;
}

TempLedger::TempLedger(Engine engine) : engine(engine) {
    if (engine == Engine::File) {
        qb::createDatabase(path(), QStringLiteral("admin"), QStringLiteral("admin"));
        dat.open(path());
        return;
    }
    if (const QString why = testserver::absence(); !why.isEmpty()) {
        if (qEnvironmentVariableIsSet("CI")) throw qb::DbError(why);
        // A program whose ledgers are all on the server has nothing to test without one: it ends
        // as skipped (the code CTest is told of).
        std::fprintf(stderr, "skipped: %s\n", why.toUtf8().constData());
        std::exit(77);
    }
    database = std::make_unique<testserver::Database>();
    qb::createServerLedger(database->connection(), QStringLiteral("admin"),
                           QStringLiteral("admin"));
    dat.openServer(database->connection());
}

qint64 TempLedger::line(const QString& book, const QString& date, int voucher,
                        const QString& summary, double debit, double credit, double balance) {
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,?,'',?,?,?,?,0,'','admin',?)"),
                {date, voucher, summary, debit, credit, balance, book});
    return dat.con().lastInsertId();
}

QString TempLedger::cashBook(const QString& name, qb::money::Cents opening, const QDate& start) {
    const QString id =
        qb::ledger::add_book(dat, {QStringLiteral("现金日记帐"), name, {}, opening, start}, start);
    qb::ledger::save_book_ticks(dat, {{id, true, start, opening}});
    return id;
}

QString rowsText(Tdat& dat, const QString& sql, const QVariantList& params) {
    qb::engine::Statement& statement = dat.con().prepare(sql);
    statement.bind(params);
    QStringList rows;
    while (statement.step()) {
        QStringList values;
        for (int c = 0; c < statement.columnCount(); ++c) {
            const QVariant v = statement.value(c);
            values << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 15)
                                                       : v.toString());
        }
        rows << values.join(QLatin1Char('/'));
    }
    return rows.join(QLatin1Char(','));
}

QString refusal(const std::function<void()>& work) {
    try {
        work();
    } catch (const qb::DbError& e) {
        return e.message();
    }
    return {};
}

std::unique_ptr<qb::engine::Connection> keyedFile(const QString& path, const QByteArray& key) {
    QFile(path).open(QIODevice::WriteOnly);
    return qb::engine::openSqlCipher(path, key);
}
