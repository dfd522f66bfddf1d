#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The text of a PDF the program wrote, as pdftotext (poppler-utils, which the set-up installs)
// reads it; with layout, a line keeps its columns apart. Empty when the file cannot be read.
inline QString pdf_text(const QString& path, bool layout = false) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               layout ? QStringList{QStringLiteral("-layout"), path, QStringLiteral("-")}
                      : QStringList{path, QStringLiteral("-")});
    if (!text.waitForFinished(30000)) return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}
