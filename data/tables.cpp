#include "tables.h"

#include "engine.h"
#include "errors.h"
#include "fr_dat.h"

namespace qb::schema {
namespace {

using enum Type;

// Dates are text "YYYY-MM-DD", amounts double precision holding whole cents. The journal's texts
// have fixed widths (ph 15, zy 50, bxr 10, jbr 10, zbh 10 characters); those it leaves open are
// chosen here: accstar zbid 10 (the width of zbh), zblb 20, zbmc 50, zh 40, flag 1; basicset 50
// (a phrase is copied into crereg.zy); pruser user 16, userpassword 128 (a salted hash with its
// cost; files of older versions held passwords in clear, 16 wide, and are rebuilt so when first
// opened for writing), userpopedom 10. Statements never rely on keys: the tables carry none, and
// the engine's row id addresses rows.
const std::vector<Table> kDeclared = {
    // 帐簿: zbid "YYYYMM" of the day it was made, then a sequence number; zblb the category
    // (现金日记帐, 银行日记帐, 银行卡, ...); zbmc its name; zh the account number; qcye the opening
    // amount; flag "1" when enabled and its opening rows made; qyrq the start date.
    {"accstar",
     Made::WithLedger,
     Style::Checked,
     {{"zbid", Text, 10},
      {"zblb", Text, 20},
      {"zbmc", Text, 50},
      {"zh", Text, 40},
      {"qcye", Double},
      {"flag", Text, 1},
      {"qyrq", Date}},
     {{"accstar_name_category", "zbmc, zblb"}}},
    // The journal: dzrq the booking date; pzh the voucher number within the month (0 on opening
    // and carry-forward rows); ph the ticket or cheque number; zy the summary, which also tells
    // the kind of row; j_je debit (money in), d_je credit (money out), y_je the balance after the
    // line; pzn the number of voucher attachments; bxr the claimant; jbr the handler, the user who
    // wrote the line; zbh the book's zbid.
    {"crereg",
     Made::WithLedger,
     Style::Checked,
     {{"dzrq", Date},
      {"pzh", SmallInt},
      {"ph", Text, 15},
      {"zy", Text, 50},
      {"j_je", Double},
      {"d_je", Double},
      {"y_je", Double},
      {"pzn", SmallInt},
      {"bxr", Text, 10},
      {"jbr", Text, 10},
      {"zbh", Text, 10}},
     {{"crereg_book_month", "zbh, dzrq, pzh"}}},
    // A month's summary rows: dzrq the month's first day (the start date in a book's first
    // month); pzh the kind (0 opening or carry-forward, 1 month total, 2 cumulative); ph empty
    // after posting, unset after the opening initialization; zy 期初余额, 月结转余额, 本月合计 or
    // 本月累计; the debit and credit sums and the balance; zbh the book's zbid.
    {"total",
     Made::WithLedger,
     Style::Checked,
     {{"dzrq", Date},
      {"pzh", SmallInt},
      {"ph", Text, 15},
      {"zy", Text, 50},
      {"j_je", Double},
      {"d_je", Double},
      {"y_je", Double},
      {"zbh", Text, 10}},
     {{"total_book_month", "zbh, dzrq"}}},
    // The summary phrases.
    {"basicset", Made::WithLedger, Style::Checked, {{"OftenSummary", Text, 50}}},
    // Users: the login name; the password hash (Argon2id, with its salt and cost), clear text from
    // older versions until its user next logs in; the role: 管理员, 操作员 or 普通用户.
    {"pruser",
     Made::WithLedger,
     Style::Checked,
     {{"\"user\"", Text, 16, true}, {"userpassword", Text, 128}, {"userpopedom", Text, 10}}},
    // What printing stages: journal lines numbered in their printed order.
    {"tmp_pr",
     Made::WithLedger,
     Style::Staging,
     {{"sn", Counter},
      {"dzrq", Date},
      {"pzh", SmallInt},
      {"ph", Text, 15},
      {"zy", Text},
      {"j_je", Double},
      {"d_je", Double},
      {"y_je", Double},
      {"pzn", SmallInt},
      {"bxr", Text},
      {"jbr", Text},
      {"zbh", Text}},
     {},
     true},
    // What the balance table stages: a book's category, name and account, and its balance as
    // "0.00" text.
    {"zhye",
     Made::WithLedger,
     Style::Staging,
     {{"zblb", Text, 20}, {"zbmc", Text, 50}, {"zh", Text, 40}, {"ye", Text, 20}},
     {},
     true},
    // 银行对账: one saved reconciliation per book and month: dzyf the month "YYYY-MM"; tzts the
    // date tolerance in days; yhqc and yhqm the bank's opening and closing balances; qmly where
    // the closing came from (0 statement, 1 given, 2 computed); zmye the journal's closing balance
    // when saved; wj the statement file read; jbr who saved it; bcsj when, "YYYY-MM-DDTHH:MM:SS".
    // Statement texts are the bank's and kept as they come.
    {"yhdz",
     Made::OnFirstUse,
     Style::Loose,
     {{"zbh", Text, 10},
      {"dzyf", Text},
      {"tzts", Integer},
      {"yhqc", Double},
      {"yhqm", Double},
      {"qmly", Integer},
      {"zmye", Double},
      {"wj", Text},
      {"jbr", Text},
      {"bcsj", Text}}},
    // 银行流水: the statement lines the reconciliations read: dzyf the month whose statement held
    // it; hh its line in the file; jyrq the transaction date "YYYY-MM-DD"; zy the summary; dfhm
    // the counterparty; lsh the serial number; je the amount, in positive and out negative; ye
    // the balance after it, when the statement has one; pzid the journal line (crereg row id)
    // ticked with it; ppyf the month in which it was ticked.
    {"yhls",
     Made::OnFirstUse,
     Style::Loose,
     {{"zbh", Text, 10},
      {"dzyf", Text},
      {"hh", Integer},
      {"jyrq", Text},
      {"zy", Text},
      {"dfhm", Text},
      {"lsh", Text},
      {"je", Double},
      {"ye", Double},
      {"pzid", RowId},
      {"ppyf", Text}}},
    // 银行格式: the columns of each book's statements, kept by their titles.
    {"yhgs", Made::OnFirstUse, Style::Loose, {{"zbh", Text, 10}, {"lm", Text}}},
    // 操作日志, written only by appending (ledger/oplog.h): one entry per operation a person
    // asked for. zbid the book whose chain it is in, empty for operations on no book (users,
    // phrases, logins, backups); not named zbh, so a deleted book's entries stay; xh its place
    // in that chain from 1; sj the time, UTC "YYYY-MM-DDTHH:MM:SS.zzzZ"; czy who acted and js in
    // what role; cz the operation; yf the month "YYYY-MM"; pzid the journal row; qz and hz the
    // values before and after (JSON, amounts in cents); qhash the previous entry's hash in the
    // chain, hash this entry's (BLAKE2b-256 in hex).
    {"czrz",
     Made::OnFirstUse,
     Style::Checked,
     {{"zbid", Text, 10},
      {"xh", Integer},
      {"sj", Text, 24},
      {"czy", Text, 32},
      {"js", Text, 10},
      {"cz", Text, 10},
      {"yf", Text, 7},
      {"pzid", RowId},
      {"qz", Text},
      {"hz", Text},
      {"qhash", Text, 64},
      {"hash", Text, 64}},
     {{"czrz_chain", "zbid, xh"}, {"czrz_time", "sj"}}},
    // 登录失败: the failed logins of a user in a row since the last successful one, and when the
    // last one was (UTC, "YYYY-MM-DDTHH:MM:SS"), so that a restart or another desk brakes too.
    {"dlsb",
     Made::OnFirstUse,
     Style::Checked,
     {{"\"user\"", Text, 16, true}, {"sbcs", Integer}, {"sbsj", Text, 19}}},
    // 支票簿: a bank book's cheque books: zl the kind (现金支票, 转账支票); qshm and zzhm the first
    // and last serial (digits, leading zeros kept, as wide as a ticket number); lqrq the day they
    // came; jbr who entered them.
    {"zpb",
     Made::OnFirstUse,
     Style::Checked,
     {{"zbh", Text, 10},
      {"zl", Text, 10},
      {"qshm", Text, 15},
      {"zzhm", Text, 15},
      {"lqrq", Date},
      {"jbr", Text, 16}}},
    // 支票明细: one row per leaf: zpb its cheque book (row id); hm the serial; zt the state the
    // register keeps (空白, 已领用, 已开出, 已作废, 已兑付, 已退回; a journal line carrying
    // the serial makes it 已开出); lyr, lyyt, xe who took it, for what, up to which amount;
    // skr, je, cprq, yt payee, amount, date and purpose when written out; zfyy why it was
    // voided; jbr and xgsj who changed it last and when ("YYYY-MM-DDTHH:MM:SS").
    {"zpmx",
     Made::OnFirstUse,
     Style::Checked,
     {{"zbh", Text, 10},
      {"zpb", RowId},
      {"hm", Text, 15},
      {"zt", Text, 10},
      {"lyr", Text, 16},
      {"lyyt", Text, 50},
      {"xe", Double},
      {"skr", Text, 40},
      {"je", Double},
      {"cprq", Date},
      {"yt", Text, 50},
      {"zfyy", Text, 50},
      {"jbr", Text, 16},
      {"xgsj", Text, 19}},
     {{"zpmx_book_serial", "zbh, hm"}}},
    // 票据登记: bills received or issued: zl the kind (银行承兑汇票, 商业承兑汇票); fx 收到
    // or 开出; hm the number; je the amount; dfmc the drawer (received) or payee (issued);
    // cprq and dqrq the issue and due dates; zt 未兑付, 已兑付 or 已退回; jbr who entered it.
    {"pjdj",
     Made::OnFirstUse,
     Style::Checked,
     {{"zbh", Text, 10},
      {"zl", Text, 10},
      {"fx", Text, 2},
      {"hm", Text, 30},
      {"je", Double},
      {"dfmc", Text, 60},
      {"cprq", Date},
      {"dqrq", Date},
      {"zt", Text, 10},
      {"jbr", Text, 16}},
     {{"pjdj_due", "dqrq"}}},
    // 库存现金限额: the cash a cash book may hold at the end of a day, as the bank set it; one
    // row per book that has one (zbh), xe the limit.
    {"xjxe", Made::OnFirstUse, Style::Checked, {{"zbh", Text, 10, true}, {"xe", Double}}},
};

// On a server, dates are text in a domain that checks their shape, which the engine reports as
// "date": comparisons, ranges, substr() and ordering work on the text as in the file.
const char* const kServerDateDomain =
    "create domain ledger_date as text collate \"C\"\n"
    "    check (value ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}$')";

// The file keeps a declared type as written, and checks nothing of it by itself.
QString fileColumn(const Column& c, Style style) {
    const QString name = QString::fromLatin1(c.name);
    const bool checked = style == Style::Checked;
    const auto check = [&](const QString& condition) {
        return QStringLiteral(" check (%1 is null or %2)").arg(name, condition);
    };
    switch (c.type) {
        case Text: {
            if (c.nonBlank)
                return QStringLiteral(
                           "%1 text not null check (length(trim(%1)) > 0 and length(%1) <= "
                           "%2)")
                    .arg(name)
                    .arg(c.width);
            if (c.width == 0) return name + QStringLiteral(" text");
            const QString width = QStringLiteral("length(%1) <= %2").arg(name).arg(c.width);
            return name + QStringLiteral(" text") +
                   (style == Style::Loose ? QStringLiteral(" check (%1)").arg(width)
                                          : check(width));
        }
        case Date:
            return name + QStringLiteral(" date") +
                   (checked
                        ? check(name + QStringLiteral(" glob "
                                                      "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-"
                                                      "9]'"))
                        : QString());
        case SmallInt:
            return name + QStringLiteral(" smallint") +
                   (checked ? check(QStringLiteral("(typeof(%1) = 'integer' and %1 between -32768 "
                                                   "and 32767)")
                                        .arg(name))
                            : QString());
        case Integer:
        case RowId:
            return name + QStringLiteral(" integer") +
                   (checked ? check(QStringLiteral("typeof(%1) = 'integer'").arg(name))
                            : QString());
        case Double:
            if (style == Style::Loose) return name + QStringLiteral(" double precision");
            return name + QStringLiteral(" double") +
                   (checked ? check(QStringLiteral("typeof(%1) in ('real', 'integer')").arg(name))
                            : QString());
        case Counter:
            return name + QStringLiteral(" integer primary key autoincrement");
    }
    return name;
}

// Texts compare and sort by code point (collation "C") whatever the database's locale, as in the
// file; widths are checks on the number of characters (varchar would cut trailing blanks silently
// instead of refusing them). The server refuses by itself what does not fit a number's type.
QString serverColumn(const Column& c) {
    const QString name = QString::fromLatin1(c.name);
    switch (c.type) {
        case Text:
            if (c.nonBlank)
                return QStringLiteral(
                           "%1 text collate \"C\" not null check (char_length("
                           "btrim(%1)) > 0 and char_length(%1) <= %2)")
                    .arg(name)
                    .arg(c.width);
            return name + QStringLiteral(" text collate \"C\"") +
                   (c.width
                        ? QStringLiteral(" check (char_length(%1) <= %2)").arg(name).arg(c.width)
                        : QString());
        case Date:
            return name + QStringLiteral(" ledger_date");
        case SmallInt:
            return name + QStringLiteral(" smallint");
        case Integer:
            return name + QStringLiteral(" integer");
        case RowId:
            return name + QStringLiteral(" bigint");
        case Double:
            return name + QStringLiteral(" double precision");
        case Counter:
            return name + QStringLiteral(" bigint generated by default as identity");
    }
    return name;
}

// Every table on a server has a real column named rowid, so that a statement naming it reads the
// same on both engines: an identity given on insert, the table's primary key and its LAST column
// (the engine leaves it out of "select *"). In a table with a counter it is a copy of the
// counter, as in the file, where the counter is the row id itself. The identities are "by
// default": a copied ledger keeps its row ids, and with them the order of lines that tie on
// everything else.
QString serverRowId(const Table& table) {
    for (const Column& c : table.columns)
        if (c.type == Counter)
            return QStringLiteral("rowid bigint generated always as (%1) stored primary key")
                .arg(QLatin1String(c.name));
    return QStringLiteral("rowid bigint generated by default as identity primary key");
}

// Whether this login may make the ledger's tables on its server: the owner of its tables (or a
// member of the owner's role). A table made by another login would be that login's, out of
// reach of the rights the owner gives the others.
bool ownsLedger(Tdat& dat) {
    return dat
               .scalar(QStringLiteral(
                   "select case when pg_has_role(c.relowner, 'USAGE') then 1 else 0 end from "
                   "pg_class c join pg_namespace n on n.oid = c.relnamespace where c.relname = "
                   "'accstar' and n.nspname = current_schema()"))
               .toInt() == 1;
}

}  // namespace

bool Table::hasColumn(const QString& column) const {
    for (const Column& c : columns)
        if (column == QLatin1String(c.name)) return true;
    return false;
}

const std::vector<Table>& tables() {
    return kDeclared;
}

const Table& table(const QString& name) {
    for (const Table& t : kDeclared)
        if (!name.compare(QLatin1String(t.name), Qt::CaseInsensitive)) return t;
    throw DbError(QStringLiteral("数据表 %1 不在数据库结构中").arg(name));
}

void requireFits(const QString& tableName, const QString& column, const QString& what,
                 const QString& value) {
    for (const Column& c : table(tableName).columns)
        if (!column.compare(QLatin1String(c.name), Qt::CaseInsensitive) && c.width > 0 &&
            value.size() > c.width)
            throw DbError(QStringLiteral("%1最多 %2 个字，这里有 %3 个。")
                              .arg(what)
                              .arg(c.width)
                              .arg(value.size()));
}

QStringList names() {
    QStringList all;
    for (const Table& t : kDeclared)
        all << QString::fromLatin1(t.name);
    return all;
}

QStringList names(Made made) {
    QStringList some;
    for (const Table& t : kDeclared)
        if (t.made == made) some << QString::fromLatin1(t.name);
    return some;
}

QStringList stagingNames() {
    QStringList some;
    for (const Table& t : kDeclared)
        if (t.staging) some << QString::fromLatin1(t.name);
    return some;
}

QStringList createStatements(const Table& table, bool onServer) {
    QStringList columns;
    for (const Column& c : table.columns)
        columns << (onServer ? serverColumn(c) : fileColumn(c, table.style));
    if (onServer) columns << serverRowId(table);
    QStringList statements{QStringLiteral("create table %1 (\n    %2\n)")
                               .arg(QLatin1String(table.name), columns.join(",\n    "))};
    for (const Index& index : table.indexes)
        statements << QStringLiteral("create index %1 on %2 (%3)")
                          .arg(QLatin1String(index.name), QLatin1String(table.name),
                               QLatin1String(index.columns));
    return statements;
}

QStringList ledgerStatements(bool onServer) {
    QStringList statements;
    if (onServer) statements << QString::fromLatin1(kServerDateDomain);
    QStringList indexes;
    for (const Table& t : kDeclared) {
        if (t.made != Made::WithLedger) continue;
        const QStringList made = createStatements(t, onServer);
        statements << made.first();
        indexes << made.mid(1);
    }
    return statements + indexes;
}

bool present(Tdat& dat, const QString& name) {
    return dat.con().hasTable(name);
}

void ensureTable(Tdat& dat, const QString& name) {
    const Table& declared = table(name);
    if (present(dat, name)) return;
    if (dat.onServer() && !ownsLedger(dat))
        throw DbError(
            QStringLiteral("服务器上的账本还没有数据表 %1：这个版本新增的数据表要由账本的所有者"
                           "（建立账本的数据库登录）建立，请他运行 quillbook-cli --server "
                           "连接串 upgrade，然后再试。")
                .arg(name));
    dat.con().lock(QStringLiteral("quillbook tables"));
    if (present(dat, name)) return;
    for (const QString& statement : createStatements(declared, dat.onServer()))
        dat.execute(statement);
}

QStringList makeMissingTables(Tdat& dat) {
    QStringList made;
    Transaction t(dat);
    for (const QString& name : names(Made::OnFirstUse))
        if (!present(dat, name)) {
            ensureTable(dat, name);
            made << name;
        }
    t.commit();
    return made;
}

void deleteBookRows(Tdat& dat, const QString& bookId) {
    for (const Table& t : kDeclared)
        if (!t.staging && t.hasColumn(QStringLiteral("zbh")) && present(dat, t.name))
            dat.execute(QStringLiteral("delete from %1 where zbh=?").arg(QLatin1String(t.name)),
                        {bookId});
}

}  // namespace qb::schema
