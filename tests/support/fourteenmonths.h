#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "ledger.h"
#include "money.h"

struct TempLedger;

// A journal line for a test: the handler is "admin", the rest as given.
qb::ledger::LineFields lineFields(const QDate& date, int voucher, const QString& summary,
                                  qb::money::Cents debit, qb::money::Cents credit);

// The figures story: a cash book "总部" kept from 2025-11-10 over fourteen months across a year
// end. In month m a receipt of (m+1) x 100.00 (voucher 1) and a payment of 50.00 (voucher 2) on
// the 15th, all entered before any month is posted; November to February posted, December's
// payment reversed afterwards (afterReversal runs then), and the opening amount raised from
// 1,000.00 to 1,500.00 last. Returns the book's id.
QString fourteenMonthBook(TempLedger& t, const std::function<void()>& afterReversal = {});

// The story's figures, worked by hand, month by month from November 2025.
struct StoryMonth {
    QDate month;
    qb::money::Cents broughtIn = 0;
    qb::money::Cents debit = 0;
    qb::money::Cents credit = 0;
    int lines = 0;
    qb::money::Cents cumulativeDebit = 0;
    qb::money::Cents cumulativeCredit = 0;
    qb::money::Cents yearDebit = 0;
    qb::money::Cents yearCredit = 0;
    qb::money::Cents closing = 0;
    bool posted = false;
};
std::vector<StoryMonth> fourteenMonthFigures();
