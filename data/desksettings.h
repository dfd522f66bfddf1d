#pragma once

#include <QPointF>
#include <QString>

// Settings of this desk rather than of the ledger, kept in the user's settings file
// ("quillbook.ini", beside the server's connection, places::settingsFile()): how far its printer
// misses a cheque form's fields, which the cashier measures once on a calibration page.
//
//   [cheque]
//   offset=1.5,-0.5                ; millimetres right and down, for any printer
//   offset.HP LaserJet M403=2,0    ; for that printer
//   billsDueDays=7                 ; bills due this many days ahead are shown at login
namespace qb::desksettings {

// The offset for the printer (empty: the desk's own); (0, 0) when none is kept. A value that
// does not read as two numbers counts as none.
QPointF chequeOffset(const QString& printer = {}, const QString& file = {});
// Keeps the offset for the printer (empty: the desk's own). Offsets beyond ±50 mm are refused
// (qb::DbError), as is a file that cannot be written.
void setChequeOffset(QPointF offsetMm, const QString& printer = {}, const QString& file = {});

// How many days ahead a bill's due date is shown to an operator or administrator at login
// (default 7; 0 to 366).
int billsDueDays(const QString& file = {});

}  // namespace qb::desksettings
