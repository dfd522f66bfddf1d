// The cash count: the till counted against the cash book, saved once, its difference settled by
// a journal line.
#include "cashcount.h"

#include <QRegularExpression>

#include "cashlimit.h"
#include "errors.h"
#include "figures.h"
#include "ledger.h"
#include "ledger_detail.h"
#include "months.h"
#include "oplog.h"
#include "roles.h"
#include "tables.h"

namespace qb::cashcount {
namespace {

using namespace ledger::detail;

const QString kTable = QStringLiteral("xjpd");
// The quantity columns, in the order of kDenominations.
const char* const kQuantityColumns[kDenominationCount] = {
    "y100", "y50", "y20", "y10", "y5", "y2", "y1", "j5", "j2", "j1", "f5", "f2", "f1"};

QString quantityColumns(const QString& prefix = {}) {
    QStringList names;
    for (const char* name : kQuantityColumns)
        names << prefix + QLatin1String(name);
    return names.join(QLatin1Char(','));
}

// The cash book the count is for, on a day of its life that has come.
Book requireCashBook(Tdat& dat, const QString& bookId, const QDate& day) {
    const Book book = requireBook(dat, bookId);
    if (!cashlimit::is_cash_category(book.category))
        throw DbError(QStringLiteral("帐簿“%1”（%2）不是现金日记帐：只有现金日记帐才盘点库存现金。")
                          .arg(book.name, book.category));
    if (!day.isValid()) throw DbError(QStringLiteral("请填写盘点日期。"));
    if (book.start.isValid() && day < book.start)
        throw DbError(QStringLiteral("盘点日期 %1 早于帐簿“%2”的启用日期 %3。")
                          .arg(months::iso(day), book.name, months::iso(book.start)));
    if (day > QDate::currentDate())
        throw DbError(QStringLiteral("盘点日期 %1 还没有到，不能盘点。").arg(months::iso(day)));
    requireInitialized(dat, book);
    return book;
}

QString requireName(const QString& typed, const QString& what) {
    const QString name = typed.trimmed();
    if (name.isEmpty()) throw DbError(QStringLiteral("请填写%1的姓名。").arg(what));
    if (name.size() > kNameWidth)
        throw DbError(QStringLiteral("%1的姓名太长：最多 %2 个字。").arg(what).arg(kNameWidth));
    return name;
}

Noted requireNoted(const Noted& typed, const QString& what) {
    if (typed.amount < 0)
        throw DbError(QStringLiteral("%1不能是负数：%2。").arg(what, money::grouped(typed.amount)));
    if (!money::withinLimit(typed.amount))
        throw DbError(what + QStringLiteral("：") + money::beyondLimit(typed.amount));
    const QString note = typed.note.trimmed();
    if (note.size() > kNoteWidth)
        throw DbError(QStringLiteral("%1的说明太长：最多 %2 个字。").arg(what).arg(kNoteWidth));
    return {typed.amount, note};
}

// The typed parts of a count, checked and trimmed.
Count checked(Count count) {
    for (int i = 0; i < kDenominationCount; ++i) {
        const qint64 q = count.quantities[size_t(i)];
        if (q < 0 || q > kQuantityAtMost)
            throw DbError(QStringLiteral("%1 的张（枚）数 %2 无效：只能是 0 到 %3 的整数。")
                              .arg(denomination_text(kDenominations[size_t(i)]))
                              .arg(q)
                              .arg(kQuantityAtMost));
    }
    count.receivedUnbooked = requireNoted(count.receivedUnbooked, QStringLiteral("已收未记"));
    count.paidUnbooked = requireNoted(count.paidUnbooked, QStringLiteral("已付未记"));
    count.iou = requireNoted(count.iou, QStringLiteral("白条"));
    count.counter = requireName(count.counter, QStringLiteral("盘点人"));
    // The witness is the count's control: somebody else than the one counting.
    count.witness = requireName(count.witness, QStringLiteral("监盘人"));
    if (count.counter == count.witness)
        throw DbError(QStringLiteral("监盘人不能由盘点人本人担任（%1）。").arg(count.counter));
    return count;
}

// The count as the log keeps it: every field, amounts in cents.
QString logText(const Count& c) {
    QVariantMap values{{QStringLiteral("id"), c.id},
                       {QStringLiteral("rq"), months::iso(c.day)},
                       {QStringLiteral("zmye"), c.bookBalance},
                       {QStringLiteral("yssr"), c.receivedUnbooked.amount},
                       {QStringLiteral("yssm"), c.receivedUnbooked.note},
                       {QStringLiteral("yfzc"), c.paidUnbooked.amount},
                       {QStringLiteral("yfsm"), c.paidUnbooked.note},
                       {QStringLiteral("bt"), c.iou.amount},
                       {QStringLiteral("btsm"), c.iou.note},
                       {QStringLiteral("pdr"), c.counter},
                       {QStringLiteral("jpr"), c.witness},
                       {QStringLiteral("sc"), c.counted()}};
    for (int i = 0; i < kDenominationCount; ++i)
        values.insert(QLatin1String(kQuantityColumns[i]), c.quantities[size_t(i)]);
    return oplog::values_text(values);
}

std::vector<Count> readCounts(Tdat& dat, const QString& where, const QVariantList& params) {
    std::vector<Count> found;
    if (!schema::present(dat, kTable)) return found;
    // A settling line deleted since (or a row id given again to another line) links nothing.
    const QString sql =
        QStringLiteral(
            "select x.rowid,x.zbh,x.rq,x.zmye,x.yssr,x.yssm,x.yfzc,x.yfsm,x.bt,x.btsm,x.pdr,x.jpr,"
            "x.sj,x.jbr,c.rowid,a.zbmc,a.zblb,%1 from xjpd x left join crereg c on c.rowid=x.clh "
            "and c.zbh=x.zbh and c.zy in (?,?) left join accstar a on a.zbid=x.zbh %2 order by "
            "x.sj desc,x.rowid desc")
            .arg(quantityColumns(QStringLiteral("x.")), where);
    eachRow(dat, sql, QVariantList{kOverSummary, kShortSummary} + params,
            [&](engine::Statement& s) {
                rowreading::Columns r(s);
                Count c;
                c.id = r.id();
                c.bookId = r.text();
                c.day = r.date();
                c.bookBalance = r.amount();
                c.receivedUnbooked = {r.amount(), r.text()};
                c.paidUnbooked = {r.amount(), r.text()};
                c.iou = {r.amount(), r.text()};
                c.counter = r.text();
                c.witness = r.text();
                c.time = QDateTime::fromString(r.text(), Qt::ISODateWithMs);
                c.user = r.text();
                c.settlingLine = r.id();
                c.bookName = r.text();
                c.category = r.text();
                for (qint64& quantity : c.quantities)
                    quantity = r.id();
                found.push_back(std::move(c));
            });
    return found;
}

}  // namespace

QString denomination_text(Cents denomination) {
    if (denomination >= 100) return QStringLiteral("%1元").arg(denomination / 100);
    if (denomination >= 10) return QStringLiteral("%1角").arg(denomination / 10);
    return QStringLiteral("%1分").arg(denomination);
}

int denomination_index(Cents denomination) {
    for (int i = 0; i < kDenominationCount; ++i)
        if (kDenominations[size_t(i)] == denomination) return i;
    return -1;
}

std::optional<qint64> parse_quantity(const QString& typed) {
    static const QRegularExpression whole(QStringLiteral("^[0-9]{1,9}$"));
    const QString text = typed.trimmed();
    if (text.isEmpty()) return 0;
    if (!whole.match(text).hasMatch() || text.toLongLong() > kQuantityAtMost) return {};
    return text.toLongLong();
}

Quantities parse_quantities(const QString& text) {
    Quantities quantities{};
    std::array<bool, kDenominationCount> given{};
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString denomination = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString quantity = item.section(QLatin1Char('='), 1).trimmed();
        const std::optional<Cents> cents = money::parse(denomination);
        const int i = cents ? denomination_index(*cents) : -1;
        if (!item.contains(QLatin1Char('=')) || i < 0)
            throw DbError(QStringLiteral("“%1”：没有面额 %2；面额是 100、50、20、10、5、2、1、0.5、"
                                         "0.2、0.1、0.05、0.02、0.01 元，写作 面额=张数。")
                              .arg(item.trimmed(), denomination));
        const std::optional<qint64> q = parse_quantity(quantity);
        if (quantity.isEmpty() || !q)
            throw DbError(QStringLiteral("“%1”：张（枚）数 %2 无效：只能是 0 到 %3 的整数。")
                              .arg(item.trimmed(), quantity)
                              .arg(kQuantityAtMost));
        if (given[size_t(i)])
            throw DbError(QStringLiteral("面额 %1 写了两次。").arg(denomination_text(*cents)));
        given[size_t(i)] = true;
        quantities[size_t(i)] = *q;
    }
    return quantities;
}

std::vector<CashBook> cash_books(Tdat& dat) {
    std::vector<CashBook> found;
    eachRow(dat, QStringLiteral("select zbid,zbmc from accstar where zblb=? order by zbmc,zbid"),
            {cashlimit::kCashCategory}, [&](engine::Statement& s) {
                found.push_back({s.value(0).toString(), s.value(1).toString()});
            });
    return found;
}

void require_right(users::Role role) {
    if (!roles::may(role, roles::Action::CashCounts))
        throw DbError(roles::refusal(roles::Action::CashCounts));
}

Cents Count::counted() const {
    Cents sum = 0;
    for (int i = 0; i < kDenominationCount; ++i)
        sum += amount(i);
    return sum;
}

QString Count::differenceKind() const {
    const Cents d = difference();
    return d > 0 ? kOver : d < 0 ? kShort : QString();
}

QString Count::state() const {
    if (difference() == 0) return {};
    return settlingLine ? kSettled : kPending;
}

QStringList warnings(Tdat& dat, const Count& count) {
    QStringList said;
    if (count.iou.amount > 0)
        said << QStringLiteral(
                    "白条 %1 元不是库存现金，已单独列出，不计入实存：白条抵库不允许，"
                    "请尽快收回或报销入账。")
                    .arg(money::grouped(count.iou.amount));
    const std::optional<Cents> limit = cashlimit::limit(dat, count.bookId);
    const cashlimit::Standing standing = cashlimit::judge(count.bookBalance, limit);
    if (standing != cashlimit::Standing::Within)
        said << cashlimit::warning(count.bookName, count.day, standing, count.bookBalance, limit);
    return said;
}

Cents book_balance(Tdat& dat, const QString& bookId, const QDate& day) {
    requireCashBook(dat, bookId, day);
    return figures::closing(dat, bookId, day);
}

Count save(Tdat& dat, Count count, const QString& user) {
    count = checked(std::move(count));
    Transaction t(dat);
    lockBook(dat, count.bookId);
    const Book book = requireCashBook(dat, count.bookId, count.day);
    count.bookName = book.name;
    count.category = book.category;
    schema::ensureTable(dat, kTable);
    count.bookBalance = figures::closing(dat, count.bookId, count.day);
    if (!money::withinLimit(count.adjusted()))
        throw DbError(QStringLiteral("调整后账面余额：") + money::beyondLimit(count.adjusted()));
    count.time = QDateTime::currentDateTimeUtc();
    count.user = user;
    count.settlingLine = 0;
    QVariantList values{count.bookId,
                        months::iso(count.day),
                        money::fromCents(count.bookBalance),
                        money::fromCents(count.receivedUnbooked.amount),
                        count.receivedUnbooked.note,
                        money::fromCents(count.paidUnbooked.amount),
                        count.paidUnbooked.note,
                        money::fromCents(count.iou.amount),
                        count.iou.note,
                        count.counter,
                        count.witness,
                        count.time.toString(Qt::ISODateWithMs),
                        user.left(kNameWidth)};
    for (qint64 q : count.quantities)
        values << q;
    dat.execute(QStringLiteral("insert into xjpd(zbh,rq,zmye,yssr,yssm,yfzc,yfsm,bt,btsm,pdr,jpr,"
                               "sj,jbr,%1) values(?,?,?,?,?,?,?,?,?,?,?,?,?%2)")
                    .arg(quantityColumns(), QStringLiteral(",?").repeated(kDenominationCount)),
                values);
    count.id = dat.con().lastInsertId();
    oplog::append(
        dat,
        {oplog::kCashCounted, count.bookId, months::monthText(count.day), 0, {}, logText(count)});
    t.commit();
    return count;
}

std::vector<Count> counts(Tdat& dat, const QString& bookId, bool pendingOnly) {
    std::vector<Count> all = bookId.isEmpty()
                                 ? readCounts(dat, {}, {})
                                 : readCounts(dat, QStringLiteral("where x.zbh=?"), {bookId});
    if (pendingOnly) std::erase_if(all, [](const Count& c) { return !c.pending(); });
    return all;
}

Count count(Tdat& dat, qint64 id) {
    std::vector<Count> found = readCounts(dat, QStringLiteral("where x.rowid=?"), {id});
    if (found.empty()) throw DbError(QStringLiteral("没有编号为 %1 的现金盘点。").arg(id));
    return found.front();
}

Settling settling_line(const Count& count, const QDate& day) {
    const Cents d = count.difference();
    return {day.isValid() ? day : count.day, d > 0 ? kOverSummary : kShortSummary, qMax(d, 0LL),
            qMax(-d, 0LL)};
}

qint64 settle(Tdat& dat, qint64 countId, const QDate& day, const QString& user) {
    Transaction t(dat);
    lockBook(dat, count(dat, countId).bookId);
    // Read again under the lock: another cashier may have settled it meanwhile.
    const Count c = count(dat, countId);
    if (c.difference() == 0)
        throw DbError(
            QStringLiteral("盘点 %1 的实存与调整后账面余额相符，没有长短款要处理。").arg(countId));
    if (c.settlingLine)
        throw DbError(
            QStringLiteral("盘点 %1 的%2已经处理过了。").arg(countId).arg(c.differenceKind()));
    const Settling s = settling_line(c, day);
    if (s.date < c.day)
        throw DbError(QStringLiteral("处理日期 %1 早于盘点日期 %2。")
                          .arg(months::iso(s.date), months::iso(c.day)));
    ledger::LineFields line;
    line.date = s.date;
    line.voucher = ledger::next_voucher(dat, c.bookId, s.date);
    line.summary = s.summary;
    line.debit = s.debit;
    line.credit = s.credit;
    line.handler = user;
    const qint64 lineId = ledger::insert_line(dat, c.bookId, line);
    dat.execute(QStringLiteral("update xjpd set clh=? where rowid=?"), {lineId, countId});
    oplog::append(dat, {oplog::kCountSettled, c.bookId, months::monthText(s.date), lineId,
                        oplog::values_text({{QStringLiteral("id"), countId}}),
                        oplog::values_text({{QStringLiteral("id"), countId},
                                            {QStringLiteral("clh"), lineId},
                                            {QStringLiteral("ce"), c.difference()}})});
    t.commit();
    return lineId;
}

}  // namespace qb::cashcount
