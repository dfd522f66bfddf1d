#include "templedger.h"

#include <QFile>

#include "schema.h"

TempLedger::TempLedger() {
    qb::createDatabase(path(), QStringLiteral("admin"), QStringLiteral("admin"));
    dat.open(path());
}

qint64 TempLedger::line(const QString& book, const QString& date, int voucher,
                        const QString& summary, double debit, double credit, double balance) {
    dat.execute(QStringLiteral("insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                               "values(?,?,'',?,?,?,?,0,'','admin',?)"),
                {date, voucher, summary, debit, credit, balance, book});
    return dat.con().lastInsertId();
}

std::unique_ptr<qb::engine::Connection> keyedFile(const QString& path, const QByteArray& key) {
    QFile(path).open(QIODevice::WriteOnly);
    return qb::engine::openSqlCipher(path, key);
}
