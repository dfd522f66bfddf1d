// The ledger engine against a large sample database: month reads (through qb::Query and the bare
// SQLite API), the month operations, posting, recalculation and propagation of a month of 3,000
// lines, the figures of such a month, and a change carried through 12 later open months of 3,000
// lines each, and the daily fund report of every book on a day, each beside its bare-engine
// anchor. The database (about 1.2 million lines) is
// generated once and kept in /tmp/quillbook-bench-core; delete that folder to make it anew.
#define SQLITE_HAS_CODEC 1
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <time.h>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <chrono>
#include <optional>

#include "dailyreport.h"
#include "figures.h"
#include "fr_dat.h"
#include "gymk.h"
#include "ledger.h"
#include "months.h"
#include "oplog.h"
#include "sample.h"
#include "schema.h"

namespace {

const QString kDir = QStringLiteral("/tmp/quillbook-bench-core");

// The CPU time of this thread: what a read from the page cache costs, whatever else the machine
// runs meanwhile (the ratios of reads are taken with it; committed writes keep the wall clock).
struct ThreadClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ThreadClock>;
    static constexpr bool is_steady = true;
    static time_point now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return time_point(duration(qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec));
    }
};
constexpr int kBooks = 100, kMonths = 120, kLines = 100, kBigMonth = 3000;
const QString kBigName = QStringLiteral("大额测试");
const QString kBigCategory = QStringLiteral("银行日记帐");

// The month of 3,000 lines lives in a book of its own, in the open month.
void addBigMonth(Tdat& dat, const QDate& month) {
    qb::Transaction t(dat);
    const QString id = qb::ledger::add_book(dat, {kBigCategory, kBigName, "1", 100000000, month});
    qb::ledger::save_book_ticks(dat, {{id, true, month, 100000000}});
    std::vector<qb::ledger::LineFields> lines;
    for (int i = 1; i <= kBigMonth; ++i)
        lines.push_back({month.addDays((i - 1) * month.daysInMonth() / kBigMonth), i, "", "付货款",
                         i % 3 ? 0 : 12345, i % 3 ? 4321 : 0, 1, "张伟", "admin"});
    qb::ledger::insert_lines(dat, id, lines);
    t.commit();
}

// Thirteen open months of 3,000 lines in a book of their own, added to an older cache file
// when missing.
const QString kChainName = QStringLiteral("结转测试");
constexpr int kChainMonths = 13;

QString addChainBook(Tdat& dat, const QDate& first) {
    qb::Transaction t(dat);
    const QString id = qb::ledger::add_book(dat, {kBigCategory, kChainName, "2", 100000000, first});
    qb::ledger::save_book_ticks(dat, {{id, true, first, 100000000}});
    std::vector<qb::ledger::LineFields> lines;
    for (int m = 0; m < kChainMonths; ++m) {
        const QDate month = first.addMonths(m);
        for (int i = 1; i <= kBigMonth; ++i)
            lines.push_back({month.addDays((i - 1) * month.daysInMonth() / kBigMonth), i, "",
                             "付货款", i % 3 ? 0 : 12345, i % 3 ? 4321 : 0, 1, "张伟", "admin"});
    }
    qb::ledger::insert_lines(dat, id, lines);
    t.commit();
    return id;
}

struct Fixture {
    Tdat dat;
    QStringList books;
    QDate openMonth = qb::months::firstDay(QDate::currentDate());
    QString bigBook;
    qint64 bigFirstLine = 0;
    QString chainBook;
    QDate chainFirst = QDate(2001, 1, 1);  // its first open month
    qint64 chainFirstLine = 0;

    Fixture() {
        const QString path = Tdat::pathIn(kDir);
        if (!QFile::exists(path)) {
            QDir().mkpath(kDir);
            const QString part = kDir + "/building";
            QDir(part).removeRecursively();
            QDir().mkpath(part);
            qb::createDatabase(Tdat::pathIn(part), "admin", "admin");
            {
                Tdat building;
                building.openIn(part);
                qb::sample::Options options;
                options.books = kBooks;
                options.months = kMonths;
                options.linesPerMonth = kLines;
                options.lastMonth = openMonth;
                qb::sample::generate(building, options);
                addBigMonth(building, openMonth);
            }
            QFile::rename(Tdat::pathIn(part), path);
            QDir(part).removeRecursively();
        }
        dat.open(path);
        qb::Query q(dat);
        // The books of ordinary months: neither the big month nor the chain of open months.
        q.setSql("select zbid from accstar where zbmc<>? and zbmc<>? order by zbid",
                 {kBigName, kChainName});
        q.open();
        for (q.first(); !q.eof(); q.next())
            books << q.field(0).asString();
        bigBook = gymk::book_id_of(dat, kBigName, kBigCategory);
        bigFirstLine =
            dat.scalar("select rowid from crereg where zbh=? and pzh=1", {bigBook}).toLongLong();
        chainBook = gymk::book_id_of(dat, kChainName, kBigCategory);
        if (chainBook.isEmpty()) chainBook = addChainBook(dat, chainFirst);
        chainFirst = QDate::fromString(
            dat.scalar("select qyrq from accstar where zbid=?", {chainBook}).toString().left(10),
            Qt::ISODate);
        chainFirstLine = dat.scalar("select rowid from crereg where zbh=? and dzrq<? and pzh=1",
                                    {chainBook, qb::months::iso(chainFirst.addMonths(1))})
                             .toLongLong();
        openMonth = qb::months::firstDay(
            QDate::fromString(dat.scalar("select max(dzrq) from total").toString(), Qt::ISODate));
    }
    // A posted month of some book, different on each call.
    std::pair<QString, QDate> someMonth(int i) const {
        return {books[(i * 37) % books.size()], openMonth.addMonths(-1 - (i * 13) % (kMonths - 1))};
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// ---- Reading a month ----

void readThroughQuery(Fixture& f, int i, qb::Query& q) {
    const auto [book, month] = f.someMonth(i);
    const qb::ledger::MonthSql view = qb::ledger::month_view(book, month);
    q.setSql(view.sql, view.params);
    q.open();
    benchmark::DoNotOptimize(q.recordCount());
}

// The ledger file opened on the bare API, to read only, with the page cache the program's own
// connection sets: the two ways then differ by the access layer alone, not by how many pages
// each keeps decrypted.
sqlite3* openBare() {
    sqlite3* db = nullptr;
    sqlite3_open_v2(Tdat::pathIn(kDir).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, Tdat::kPassword, int(strlen(Tdat::kPassword)));
    sqlite3_exec(db, "pragma cache_size=-16384", nullptr, nullptr, nullptr);
    return db;
}

// Runs a prepared statement with the values bound in order, every row's first value read.
void runBare(sqlite3_stmt* stmt, const std::vector<QByteArray>& values) {
    sqlite3_reset(stmt);
    for (int i = 0; i < int(values.size()); ++i)
        sqlite3_bind_text(stmt, i + 1, values[size_t(i)].constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        benchmark::DoNotOptimize(sqlite3_column_double(stmt, 0));
}

// The same statement on the bare API, every column of every row read.
struct Bare {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    Bare() {
        db = openBare();
        const QByteArray sql = qb::ledger::month_view("", QDate()).sql.toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    }
    ~Bare() {
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    int read(const QString& book, const QDate& month) {
        sqlite3_reset(stmt);
        const QByteArray id = book.toUtf8(), first = qb::months::iso(month).toUtf8(),
                         last = qb::months::iso(qb::months::lastDay(month)).toUtf8();
        sqlite3_bind_text(stmt, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, first.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, last.constData(), -1, SQLITE_TRANSIENT);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                switch (sqlite3_column_type(stmt, c)) {
                    case SQLITE_TEXT:
                        benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                        break;
                    default:
                        benchmark::DoNotOptimize(sqlite3_column_double(stmt, c));
                }
            ++rows;
        }
        return rows;
    }
};

void BM_MonthRead_Query(benchmark::State& state) {
    Fixture& f = fixture();
    qb::Query q(f.dat);
    int i = 0;
    for (auto _ : state)
        readThroughQuery(f, i++, q);
}
BENCHMARK(BM_MonthRead_Query)->Unit(benchmark::kMicrosecond);

void BM_MonthRead_Bare(benchmark::State& state) {
    Fixture& f = fixture();
    Bare bare;
    int i = 0;
    for (auto _ : state) {
        const auto [book, month] = f.someMonth(i++);
        benchmark::DoNotOptimize(bare.read(book, month));
    }
}
BENCHMARK(BM_MonthRead_Bare)->Unit(benchmark::kMicrosecond);

// Both ways on the same months in one run; "ratio" is the access layer's CPU time over the bare
// API's. Each way reads through a connection opened here, so that neither finds the pages an
// earlier benchmark left decrypted in its cache.
void BM_MonthRead_QueryOverBare(benchmark::State& state) {
    using Clock = ThreadClock;
    Fixture& f = fixture();
    Tdat reader;
    reader.open(Tdat::pathIn(kDir), Tdat::Mode::ReadOnly);
    qb::Query q(reader);
    Bare bare;
    Clock::duration throughQuery{}, throughBare{};
    int i = 0;
    for (auto _ : state) {
        const auto [book, month] = f.someMonth(i);
        // Each way goes first every other time: the first read of a month pays for its pages.
        const auto timed = [](auto read) {
            const Clock::time_point start = Clock::now();
            read();
            return Clock::now() - start;
        };
        const auto query = [&] { readThroughQuery(f, i, q); };
        const auto direct = [&] { benchmark::DoNotOptimize(bare.read(book, month)); };
        if (i % 2) {
            throughQuery += timed(query);
            throughBare += timed(direct);
        } else {
            throughBare += timed(direct);
            throughQuery += timed(query);
        }
        ++i;
    }
    state.counters["query_us"] =
        std::chrono::duration<double, std::micro>(throughQuery).count() / i;
    state.counters["bare_us"] = std::chrono::duration<double, std::micro>(throughBare).count() / i;
    state.counters["ratio"] = double(throughQuery.count()) / double(throughBare.count());
}
BENCHMARK(BM_MonthRead_QueryOverBare)->Unit(benchmark::kMicrosecond);

// ---- The month operations ----

template <typename Operation>
void monthOperation(benchmark::State& state, Operation operation) {
    Fixture& f = fixture();
    qb::Transaction t(f.dat);  // writes are undone afterwards
    int i = 0;
    for (auto _ : state) {
        const auto [book, month] = f.someMonth(i++);
        operation(f.dat, book, month);
    }
}

#define MONTH_OPERATION(name, body)                                                                \
    void BM_##name(benchmark::State& state) {                                                      \
        monthOperation(state, []([[maybe_unused]] Tdat& dat, [[maybe_unused]] const QString& book, \
                                 [[maybe_unused]] const QDate& month) { body; });                  \
    }                                                                                              \
    BENCHMARK(BM_##name)->Unit(benchmark::kMicrosecond)

MONTH_OPERATION(month_closed,
                benchmark::DoNotOptimize(gymk::month_closed(dat, "", book, gymk::SilentMode,
                                                            month)));
MONTH_OPERATION(month_sums_month,
                benchmark::DoNotOptimize(gymk::month_sums(dat, book, gymk::MonthSumMode, month)));
MONTH_OPERATION(month_sums_cumulative,
                benchmark::DoNotOptimize(gymk::month_sums(dat, book, gymk::CumulativeMode, month)));
MONTH_OPERATION(book_id_of,
                benchmark::DoNotOptimize(gymk::book_id_of(dat, "南京分公司", "银行卡")));
MONTH_OPERATION(last_balance, benchmark::DoNotOptimize(gymk::last_balance(dat, book, month)));
MONTH_OPERATION(opening_balance, benchmark::DoNotOptimize(gymk::opening_balance(dat, book, month)));
MONTH_OPERATION(update_totals_row,
                gymk::update_totals_row(dat, "1.00", "2.00", "3.00", book, month, "本月合计"));
MONTH_OPERATION(set_carry_balance, gymk::set_carry_balance(dat, "crereg", book, month, 4.5));
MONTH_OPERATION(insert_totals_row,
                gymk::insert_totals_row(dat, month, "1", "本月合计", "0", "0", "1.00", book));
MONTH_OPERATION(insert_carry_row, gymk::insert_carry_row(dat, "total", "1.00", book, month));
MONTH_OPERATION(max_voucher_no, benchmark::DoNotOptimize(gymk::max_voucher_no(dat, book, month)));

// ---- Posting, recalculation, propagation ----
// "Engine": inside a transaction that is undone afterwards, so the figure is the engine's own
// work. "Committed": each round is its own transaction written to the file (fsync included).

// The first posting of a book's open month, undone after each round.
void BM_PostMonth_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    qb::Transaction outer(f.dat);
    int i = 0;
    for (auto _ : state) {
        qb::Transaction t(f.dat);
        qb::ledger::post_month(f.dat, f.books[i++ % f.books.size()], f.openMonth);
    }
}
BENCHMARK(BM_PostMonth_Engine)->Unit(benchmark::kMillisecond);

// Posting again a month whose following month is posted too, undone after each round.
void BM_PostMonthAgain_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    qb::Transaction outer(f.dat);
    int i = 0;
    for (auto _ : state) {
        qb::Transaction t(f.dat);
        qb::ledger::post_month(f.dat, f.books[i++ % f.books.size()], f.openMonth.addMonths(-2));
    }
}
BENCHMARK(BM_PostMonthAgain_Engine)->Unit(benchmark::kMillisecond);

// Posting again, committed: the figures do not change, so the file stays as it was.
void BM_PostMonthAgain_Committed(benchmark::State& state) {
    Fixture& f = fixture();
    int i = 0;
    for (auto _ : state)
        qb::ledger::post_month(f.dat, f.books[i++ % f.books.size()], f.openMonth.addMonths(-2));
}
BENCHMARK(BM_PostMonthAgain_Committed)->Unit(benchmark::kMillisecond);

// A fen more or less on the month's first entry, so that all 3,000 balances must change.
void changeFirstLine(Fixture& f, int i) {
    f.dat.execute("update crereg set j_je=j_je+? where rowid=?",
                  {i % 2 ? -0.01 : 0.01, f.bigFirstLine});
}

template <typename Operation>
void bigMonth(benchmark::State& state, bool committed, Operation operation) {
    Fixture& f = fixture();
    std::optional<qb::Transaction> outer;
    if (!committed) outer.emplace(f.dat);
    int i = 0;
    for (auto _ : state) {
        qb::Transaction t(f.dat);
        changeFirstLine(f, i++);
        operation(f);
        t.commit();
    }
}

void recalc(Fixture& f) {
    benchmark::DoNotOptimize(qb::ledger::recalc_month(f.dat, f.bigBook, f.openMonth));
}
void propagate(Fixture& f) {
    qb::ledger::propagate_from(f.dat, f.bigFirstLine);
}

void BM_Recalc3000_Engine(benchmark::State& state) {
    bigMonth(state, false, recalc);
}
void BM_Recalc3000_Committed(benchmark::State& state) {
    bigMonth(state, true, recalc);
}
void BM_Propagate3000_Engine(benchmark::State& state) {
    bigMonth(state, false, propagate);
}
void BM_Propagate3000_Committed(benchmark::State& state) {
    bigMonth(state, true, propagate);
}
// The figures of the month of 3,000 lines beside the bare API summing the same rows.
void BM_Figures3000(benchmark::State& state) {
    using Clock = ThreadClock;
    Fixture& f = fixture();
    sqlite3* db = openBare();
    sqlite3_stmt* sums = nullptr;
    sqlite3_prepare_v2(db,
                       "select sum(round(j_je*100)),sum(round(d_je*100)),count(*) from crereg "
                       "where zbh=?1 and dzrq between ?2 and ?3",
                       -1, &sums, nullptr);
    const QByteArray id = f.bigBook.toUtf8(), first = qb::months::iso(f.openMonth).toUtf8(),
                     last = qb::months::iso(qb::months::lastDay(f.openMonth)).toUtf8();
    Clock::duration unit{}, bare{};
    int rounds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(qb::figures::month(f.dat, f.bigBook, f.openMonth));
        const Clock::time_point middle = Clock::now();
        runBare(sums, {id, first, last});
        bare += Clock::now() - middle;
        unit += middle - start;
        ++rounds;
    }
    sqlite3_finalize(sums);
    sqlite3_close(db);
    state.counters["figures_ms"] = std::chrono::duration<double, std::milli>(unit).count() / rounds;
    state.counters["bare_sum_ms"] =
        std::chrono::duration<double, std::milli>(bare).count() / rounds;
}
BENCHMARK(BM_Figures3000)->Unit(benchmark::kMillisecond);

// The daily fund report of every book (about a hundred) on a day of the open month, beside the
// bare API reading, for each book, the day's sums and the balance after its last line up to it.
void BM_DailyReport(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Fixture& f = fixture();
    const QDate day = f.openMonth.addDays(9);
    sqlite3* db = openBare();
    sqlite3_stmt* sums = nullptr;
    sqlite3_stmt* closing = nullptr;
    sqlite3_prepare_v2(db,
                       "select sum(round(j_je*100)),sum(round(d_je*100)),count(*) from crereg "
                       "where zbh=?1 and dzrq=?2",
                       -1, &sums, nullptr);
    sqlite3_prepare_v2(db,
                       "select y_je from crereg where zbh=?1 and dzrq<=?2 order by dzrq desc,"
                       "rowid desc limit 1",
                       -1, &closing, nullptr);
    const QByteArray date = qb::months::iso(day).toUtf8();
    std::vector<QByteArray> ids;
    for (const QString& book : f.books)
        ids.push_back(book.toUtf8());
    Clock::duration unit{}, bare{};
    int rounds = 0, rows = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const qb::dailyreport::Report report = qb::dailyreport::report_of(f.dat, day, day);
        const Clock::time_point middle = Clock::now();
        rows = 0;
        for (const qb::dailyreport::Group& g : report.groups)
            rows += int(g.rows.size());
        for (const QByteArray& id : ids)
            for (sqlite3_stmt* stmt : {sums, closing})
                runBare(stmt, {id, date});
        bare += Clock::now() - middle;
        unit += middle - start;
        ++rounds;
    }
    sqlite3_finalize(sums);
    sqlite3_finalize(closing);
    sqlite3_close(db);
    state.counters["books"] = rows;
    state.counters["report_ms"] = std::chrono::duration<double, std::milli>(unit).count() / rounds;
    state.counters["bare_ms"] = std::chrono::duration<double, std::milli>(bare).count() / rounds;
}
BENCHMARK(BM_DailyReport)->Unit(benchmark::kMillisecond);

// A fen more or less on the first line of the first of 13 open months of 3,000 lines, carried
// through the 12 later months, committed; beside it, in the same run, the bare update of the same
// rows (the line and every later one of the book) by the same difference, committed too.
void BM_CarryThrough12Months(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Fixture& f = fixture();
    Clock::duration carried{}, bare{};
    int rounds = 0;
    for (auto _ : state) {
        const double fen = rounds % 2 ? -0.01 : 0.01;
        const double amount =
            f.dat.scalar("select j_je from crereg where rowid=?", {f.chainFirstLine}).toDouble();
        const Clock::time_point start = Clock::now();
        qb::ledger::edit_line(f.dat, f.chainFirstLine, qb::ledger::JJe, amount + fen);
        const Clock::time_point middle = Clock::now();
        {
            qb::Transaction t(f.dat);
            f.dat.execute("update crereg set y_je=y_je+? where zbh=? and dzrq>=? and pzh>0",
                          {-fen, f.chainBook, qb::months::iso(f.chainFirst)});
            t.commit();
        }
        bare += Clock::now() - middle;
        carried += middle - start;
        // The bare update took the balances back: the chain again follows the amounts.
        f.dat.execute("update crereg set y_je=y_je+? where zbh=? and dzrq>=? and pzh>0",
                      {fen, f.chainBook, qb::months::iso(f.chainFirst)});
        ++rounds;
    }
    state.counters["carried_ms"] =
        std::chrono::duration<double, std::milli>(carried).count() / rounds;
    state.counters["bare_ms"] = std::chrono::duration<double, std::milli>(bare).count() / rounds;
    state.counters["ratio"] = double(carried.count()) / double(bare.count());
}
BENCHMARK(BM_CarryThrough12Months)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK(BM_Recalc3000_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recalc3000_Committed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Propagate3000_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Propagate3000_Committed)->Unit(benchmark::kMillisecond);

// ---- The operation log ----

// What the log adds to a posting, undone after each round: the month's total rows read before
// and after, and the entry appended (its chain's last hash read, the hash, the insert). Set
// against BM_PostMonth_Engine and BM_PostMonthAgain_Committed, which include it.
void BM_OplogOfPosting_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    qb::Transaction outer(f.dat);
    int i = 0;
    for (auto _ : state) {
        qb::Transaction t(f.dat);
        const auto [book, month] = f.someMonth(i++);
        const QString before = qb::oplog::month_totals_text(f.dat, book, month);
        qb::oplog::append(f.dat, {qb::oplog::kPosted, book, qb::months::monthText(month), 0, before,
                                  qb::oplog::month_totals_text(f.dat, book, month)});
    }
}
BENCHMARK(BM_OplogOfPosting_Engine)->Unit(benchmark::kMicrosecond);

// What the log adds to the entry panel's save: the new line read back and the entry appended.
void BM_OplogOfLine_Engine(benchmark::State& state) {
    Fixture& f = fixture();
    qb::Transaction outer(f.dat);
    for (auto _ : state) {
        qb::Transaction t(f.dat);
        qb::oplog::append(f.dat, {qb::oplog::kLineAdded,
                                  f.bigBook,
                                  qb::months::monthText(f.openMonth),
                                  f.bigFirstLine,
                                  {},
                                  qb::oplog::row_text(f.dat, f.bigFirstLine)});
    }
}
BENCHMARK(BM_OplogOfLine_Engine)->Unit(benchmark::kMicrosecond);

// A year's log of 300,000 entries (a 1.2-million-line ledger's year of work), in a ledger of its
// own made once beside the sample database; one month of it read as `log --from --to` reads it.
// The entries are inserted directly, spread evenly over the year: their chains do not matter here.
constexpr int kLogEntries = 300000;

Tdat& logLedger() {
    static Tdat dat;
    if (dat.connected()) return dat;
    const QString dir = kDir + "/oplog";
    if (!QFile::exists(Tdat::pathIn(dir))) {
        QDir().mkpath(dir);
        qb::createDatabase(Tdat::pathIn(dir), "admin", "admin");
        dat.openIn(dir);
        qb::Transaction t(dat);
        const QDateTime start(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
        const QString row = R"({"dzrq":"2025-03-04","j_je":0,"d_je":6850,"zy":"购办公用品"})";
        for (int i = 0; i < kLogEntries; ++i)
            dat.execute(
                "insert into czrz(zbid,xh,sj,czy,js,cz,yf,pzid,qz,hz,qhash,hash) "
                "values(?,?,?,?,?,?,?,?,?,?,?,?)",
                {QString("2025010%1").arg(i % 9 + 1), i / 9 + 1,
                 start.addSecs(qint64(i) * 365 * 86400 / kLogEntries).toString(Qt::ISODateWithMs),
                 "王会计", "操作员", qb::oplog::kLineEdited, "2025-03", i, row, row,
                 QString(64, 'a'), QString(64, 'b')});
        t.commit();
        return dat;
    }
    dat.openIn(dir);
    return dat;
}

void BM_OplogMonthOfYear(benchmark::State& state) {
    Tdat& dat = logLedger();
    size_t found = 0;
    for (auto _ : state)
        found =
            qb::oplog::entries(dat, {QDate(2025, 6, 1), QDate(2025, 6, 30), {}, {}, {}, {}}).size();
    state.counters["entries"] = double(found);
}
BENCHMARK(BM_OplogMonthOfYear)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
