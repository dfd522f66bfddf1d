// A ledger on a PostgreSQL server over the loopback, beside the same statements sent through
// bare libpq: reading a month, and posting one. Needs a server: `make bench` runs this beside the
// throwaway test cluster (tools/pg_test_cluster.sh, QB_TEST_SERVER). The sample ledger (20 books x
// 24 months x 100 lines) is generated once as a file in /tmp/quillbook-bench-server and copied
// onto the server at each run.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>

#include "engine.h"
#include "fr_dat.h"
#include "ledger.h"
#include "ledgercopy.h"
#include "money.h"
#include "months.h"
#include "rowkinds.h"
#include "sample.h"
#include "schema.h"

namespace {

using Clock = std::chrono::steady_clock;

const QString kDir = QStringLiteral("/tmp/quillbook-bench-server");
constexpr int kBooks = 20, kMonths = 24, kLines = 100;
const QString kDatabase = QStringLiteral("quillbook_bench");

QString address() {
    return qEnvironmentVariable("QB_TEST_SERVER");
}

QString connection() {
    return address() + QStringLiteral(" dbname=") + kDatabase;
}

// The sample ledger as a file, made once.
void makeFile() {
    if (QFile::exists(Tdat::pathIn(kDir))) return;
    QDir().mkpath(kDir);
    qb::sample::Options options;
    options.books = kBooks;
    options.months = kMonths;
    options.linesPerMonth = kLines;
    qb::createDatabase(Tdat::pathIn(kDir), "admin", "admin",
                       {{}, [&](Tdat& dat) { qb::sample::generate(dat, options); }});
}

struct Fixture {
    Tdat dat;
    QStringList books;
    QDate openMonth = qb::months::firstDay(QDate::currentDate());

    Fixture() {
        makeFile();
        auto admin = qb::engine::openPostgres(address());
        admin->execute(QStringLiteral("drop database if exists %1 with (force)").arg(kDatabase));
        admin->execute(QStringLiteral("create database %1").arg(kDatabase));
        {
            Tdat file;
            file.openIn(kDir, Tdat::Mode::ReadOnly);
            qb::ledgercopy::copy_ledger(file, {{{}, connection()}, {}, {}});
        }
        dat.openServer(connection());
        qb::Query q(dat);
        q.setSql("select zbid from accstar order by zbid");
        q.open();
        for (q.first(); !q.eof(); q.next())
            books << q.field(0).asString();
    }
    // A posted month of some book, different on each call.
    std::pair<QString, QDate> someMonth(int i) const {
        return {books[(i * 7) % books.size()], openMonth.addMonths(-1 - (i * 13) % (kMonths - 1))};
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Statements prepared once on a connection of its own, values sent as text, every value of the
// result read.
class Bare {
public:
    Bare() : conn_(PQconnectdb(connection().toUtf8().constData())) {}
    ~Bare() { PQfinish(conn_); }
    int run(const char* name, const QString& sql, const QVariantList& params) {
        if (!prepared_.count(name)) {
            PQclear(PQprepare(conn_, name, sql.toUtf8().constData(), 0, nullptr));
            prepared_[name] = true;
        }
        std::vector<QByteArray> texts;
        std::vector<const char*> values;
        for (const QVariant& p : params)
            texts.push_back(p.toString().toUtf8());
        for (const QByteArray& text : texts)
            values.push_back(text.constData());
        PGresult* r =
            PQexecPrepared(conn_, name, int(values.size()), values.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK && PQresultStatus(r) != PGRES_COMMAND_OK)
            std::fprintf(stderr, "%s: %s\n", name, PQerrorMessage(conn_));
        last_.clear();
        for (int row = 0; row < PQntuples(r); ++row) {
            last_.emplace_back();
            for (int c = 0; c < PQnfields(r); ++c)
                last_.back() << QByteArray(PQgetvalue(r, row, c));
        }
        const int changed = std::atoi(PQcmdTuples(r));
        PQclear(r);
        return changed;
    }
    void command(const char* sql) { PQclear(PQexec(conn_, sql)); }
    const std::vector<QList<QByteArray>>& rows() const { return last_; }

private:
    PGconn* conn_;
    std::map<std::string, bool> prepared_;
    std::vector<QList<QByteArray>> last_;
};

const QString kMonthSql =
    QStringLiteral(
        "select dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh from crereg where "
        "zbh=$1 and dzrq between $2 and $3 order by ") +
    qb::ledger::journal_order();

int bareMonth(Bare& bare, const QString& book, const QDate& month) {
    bare.run("month", kMonthSql, QVariantList{book} + qb::months::range(month));
    return int(bare.rows().size());
}

void queryMonth(qb::Query& q, const QString& book, const QDate& month) {
    const qb::ledger::MonthSql view = qb::ledger::month_view(book, month);
    q.setSql(view.sql, view.params);
    q.open();
    benchmark::DoNotOptimize(q.recordCount());
}

// What posting a book's open month sends, statement by statement: the checks that the book may
// be posted, the month's totals before, its lines and figures, the rows that close it and open
// the next month, the next month's lines, the totals after, and the entry in the operation log.
void barePost(Bare& bare, const QString& book, const QDate& month) {
    using namespace qb;
    const QDate next = months::nextMonth(month);
    const QVariantList nextRange = months::range(next);
    const QString posted = "select 1 from total where zbh=$1 and dzrq between $2 and $3 limit 1";
    const QString totalsText =
        "select dzrq,zy,j_je,d_je,y_je from total where zbh=$1 and dzrq "
        "between $2 and $3 order by dzrq,pzh,rowid";
    const QVariantList twoMonths{book, months::iso(month), months::iso(months::lastDay(next))};
    bare.run("lock", "select pg_advisory_xact_lock(hashtextextended($1, 0))",
             {QStringLiteral("quillbook book ") + book});
    for (int i = 0; i < 2; ++i)
        bare.run("book", "select zbid,zbmc,zblb,qyrq,qcye from accstar where zbid=$1", {book});
    bare.run("opened lines", "select 1 from crereg where zbh=$1 and zy=$2 order by dzrq limit 1",
             {book, rows::kOpening});
    bare.run("opened totals", "select 1 from total where zbh=$1 and zy=$2 order by dzrq limit 1",
             {book, rows::kOpening});
    bare.run("first open", "select dzrq from total where zbh=$1 and dzrq>=$2",
             {book, months::iso(month.addYears(-2))});
    bare.run("posted", posted, QVariantList{book} + nextRange);
    bare.run("totals text", totalsText, twoMonths);
    const QString lines =
        "select rowid,j_je,d_je,y_je,zy from crereg where zbh=$1 and dzrq "
        "between $2 and $3 order by " +
        ledger::journal_order();
    bare.run("lines", lines, QVariantList{book} + months::range(month));
    money::Cents debit = 0, credit = 0, closing = 0;
    for (const QList<QByteArray>& row : bare.rows()) {
        if (!rows::isMarker(QString::fromUtf8(row[4]))) {
            debit += money::toCents(row[1].toDouble());
            credit += money::toCents(row[2].toDouble());
        }
        closing = money::toCents(row[3].toDouble());
    }
    bare.run("cumulative",
             "select dzrq,j_je,d_je from total where zbh=$1 and zy=$2 and dzrq<$3 "
             "order by dzrq desc,rowid limit 1",
             {book, rows::kCumulative, months::iso(month)});
    bare.run("posted", posted, QVariantList{book} + months::range(month));
    const QString update =
        "update total set j_je=$1,d_je=$2,y_je=$3 where zbh=$4 and dzrq "
        "between $5 and $6 and zy=$7";
    for (const QString& summary : {rows::kMonthTotal, rows::kCumulative})
        bare.run("totals", update,
                 QVariantList{money::fromCents(debit), money::fromCents(credit),
                              money::fromCents(closing), book} +
                     months::range(month) + QVariantList{summary});
    const QVariantList carry{money::fromCents(closing), book, months::iso(next), rows::kCarry};
    if (bare.run("carry crereg", "update crereg set y_je=$1 where zbh=$2 and dzrq=$3 and zy=$4",
                 carry) == 0)
        bare.run("insert crereg",
                 "insert into crereg(dzrq,pzh,ph,zy,j_je,d_je,y_je,pzn,bxr,jbr,zbh) "
                 "values($1,0,'',$2,0,0,$3,0,'','',$4)",
                 {months::iso(next), rows::kCarry, money::fromCents(closing), book});
    const QString insertTotal =
        "insert into total(dzrq,pzh,ph,zy,j_je,d_je,y_je,zbh) "
        "values($1,$2,'',$3,$4,$5,$6,$7)";
    if (bare.run("carry total", "update total set y_je=$1 where zbh=$2 and dzrq=$3 and zy=$4",
                 carry) == 0)
        bare.run("insert total", insertTotal,
                 {months::iso(next), 0, rows::kCarry, 0, 0, money::fromCents(closing), book});
    const std::pair<int, QString> kinds[] = {{1, rows::kMonthTotal}, {2, rows::kCumulative}};
    for (const auto& [voucher, summary] : kinds)
        if (bare.run("totals", update,
                     QVariantList{0, 0, money::fromCents(closing), book} + nextRange +
                         QVariantList{summary}) == 0)
            bare.run("insert total", insertTotal,
                     {months::iso(next), voucher, summary, 0, 0, money::fromCents(closing), book});
    bare.run("posted", posted, QVariantList{book} + months::range(months::nextMonth(next)));
    bare.run("lines", lines, QVariantList{book} + nextRange);
    bare.run("posted", posted, QVariantList{book} + months::range(months::nextMonth(next)));
    bare.run("chained from",
             "select y_je,j_je,d_je,zy from crereg where zbh=$1 and dzrq=(select min(dzrq) from "
             "crereg where zbh=$2 and dzrq>$3) order by " +
                 ledger::journal_order() + " limit 1",
             {book, book, months::iso(months::lastDay(next))});
    bare.run("totals text", totalsText, twoMonths);
    bare.run("log head", "select xh,hash from czrz where zbid=$1 order by xh desc limit 1", {book});
    bare.run("log",
             "insert into czrz(zbid,xh,sj,czy,js,cz,yf,pzid,qz,hz,qhash,hash) "
             "values($1,$2,$3,$4,$5,$6,$7,null,$8,$9,$10,$11)",
             {book, 1, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), "admin",
              "系统管理员", "过帐", months::monthText(month), "[]", "[]", "", "0"});
}

// Both ways on the same work in one run; "ratio" is the engine's time over bare libpq's.
template <typename Engine, typename Libpq>
void sideBySide(benchmark::State& state, Engine engine, Libpq libpq) {
    if (address().isEmpty()) {
        state.SkipWithError("no server: run beside tools/pg_test_cluster.sh (make bench does)");
        return;
    }
    Fixture& f = fixture();
    Bare bare;
    Clock::duration throughEngine{}, throughLibpq{};
    int i = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        engine(f, i);
        const Clock::time_point middle = Clock::now();
        libpq(f, bare, i);
        throughLibpq += Clock::now() - middle;
        throughEngine += middle - start;
        ++i;
    }
    state.counters["engine_us"] =
        std::chrono::duration<double, std::micro>(throughEngine).count() / i;
    state.counters["libpq_us"] =
        std::chrono::duration<double, std::micro>(throughLibpq).count() / i;
    state.counters["ratio"] = double(throughEngine.count()) / double(throughLibpq.count());
}

void BM_ServerMonthRead(benchmark::State& state) {
    std::optional<qb::Query> q;
    sideBySide(
        state,
        [&](Fixture& f, int i) {
            if (!q) q.emplace(f.dat);
            const auto [book, month] = f.someMonth(i);
            queryMonth(*q, book, month);
        },
        [](Fixture& f, Bare& bare, int i) {
            const auto [book, month] = f.someMonth(i);
            benchmark::DoNotOptimize(bareMonth(bare, book, month));
        });
}
// The loopback's round trips vary with the load of a shared machine: the medians of five runs.
BENCHMARK(BM_ServerMonthRead)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The first posting of a book's open month, each round a transaction rolled back afterwards,
// through the ledger and through bare libpq.
void BM_ServerPostMonth(benchmark::State& state) {
    sideBySide(
        state,
        [](Fixture& f, int i) {
            qb::Transaction round(f.dat);
            qb::ledger::post_month(f.dat, f.books[i % f.books.size()], f.openMonth);
        },
        [](Fixture& f, Bare& bare, int i) {
            bare.command("begin");
            barePost(bare, f.books[i % f.books.size()], f.openMonth);
            bare.command("rollback");
        });
}
BENCHMARK(BM_ServerPostMonth)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
