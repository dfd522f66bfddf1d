#pragma once

#include <QPointF>
#include <QString>

#include "chequeform.h"
#include "cheques.h"

// Printing on the bank's cheque forms: the template of the cheque's kind ("zzzp.rls" 转账支票,
// "xjzp.rls" 现金支票, a cashier's copy beside the database first, else the shipped one) filled
// from the register, every field moved by the desk's printer offset. The form's own print is a
// guide: in the preview only. And the register itself on plain paper ("zpdj.rls").
namespace qb::report {

class Report;

QString chequeTemplate(const QString& kind);
// False, with a message, when the template is missing or lacks a field.
bool loadCheque(Report& report, const QString& dir, const cheques::ChequeForm& form,
                QPointF offsetMm);
// The calibration page, for plain paper: the form's outline printed with a sample cheque and a
// note of the offset in use. Laid on a blank form against the light, it shows how far the
// printer misses; the cashier enters the shift and prints it again until they meet.
bool loadCalibration(Report& report, const QString& dir, const QString& kind, QPointF offsetMm);

// The cheque register "zpdj.rls": each cheque book on a line, then its leaves with their states,
// skipped and voided ones said in words; how many leaves of each state, the amount written out,
// and the signatures. False, with a message, when the template is missing or lacks an object.
bool loadChequeRegister(Report& report, const QString& dir, const cheques::ChequeRegister& r);

}  // namespace qb::report
