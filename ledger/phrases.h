#pragma once

#include <QString>
#include <QStringList>

class Tdat;

// The summary phrases (basicset) that the register offers when a summary is typed.
namespace qb::phrases {

// Every phrase, in the order of the phrase itself.
QStringList all(Tdat& dat);

// Learns a summary typed in the entry panel: stored trimmed, once, when it is at least one
// Chinese character or two Latin ones, fits a summary and is no text the system keeps for its
// own rows. Returns the phrase stored, or an empty text when nothing was stored.
QString learn(Tdat& dat, const QString& typed);

// The phrase window's changes, each one transaction with its log entry: a phrase stored (as it
// is, even when it is there already), a phrase removed by its row id.
void add(Tdat& dat, const QString& phrase);
void remove(Tdat& dat, qint64 rowId);
// Logs a phrase the window changed in place (its grid writes the row), inside that transaction.
void changed(Tdat& dat, const QString& before, const QString& after);

}  // namespace qb::phrases
