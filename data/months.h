#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

// Calendar months as the journal uses them: a month runs from its first to its last day, and a
// date belongs to the month of its calendar day. Dates are stored as "YYYY-MM-DD" text.
namespace qb::months {

inline QDate firstDay(const QDate& date) {
    return QDate(date.year(), date.month(), 1);
}
inline QDate lastDay(const QDate& date) {
    return QDate(date.year(), date.month(), date.daysInMonth());
}
// The first day of the month after the date's month (December goes on to next January).
inline QDate nextMonth(const QDate& date) {
    return firstDay(date).addMonths(1);
}
// The first day of the month before the date's month.
inline QDate previousMonth(const QDate& date) {
    return firstDay(date).addMonths(-1);
}
// The stored form of a date, "YYYY-MM-DD".
inline QString iso(const QDate& date) {
    return date.toString(Qt::ISODate);
}
// "YYYY-MM", the month a date belongs to.
inline QString monthText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM"));
}
// The two bound ends of the date's month, for "dzrq between ? and ?".
inline QVariantList range(const QDate& date) {
    return {iso(firstDay(date)), iso(lastDay(date))};
}

}  // namespace qb::months
