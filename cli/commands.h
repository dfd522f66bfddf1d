#pragma once

#include <QString>
#include <QStringList>

// The commands of quillbook-cli. Each works on the database in `dir`, writes its output to
// standard output and returns the exit code; failures of the data layer reach the caller as
// qb::DbError, wrong arguments as UsageError.
namespace cli {

struct UsageError {
    QString message;
};

int init(const QString& dir, const QStringList& args);
int sample(const QString& dir, const QStringList& args);
int check(const QString& dir);
int journal(const QString& dir, const QStringList& args);
int post(const QString& dir, const QStringList& args);

// Standard output in UTF-8.
void out(const QString& text);

}  // namespace cli
