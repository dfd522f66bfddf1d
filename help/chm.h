#pragma once

#include <QString>

class QWidget;

// The help launcher: shows a page of the compiled help file "qbk.chm" in the program's own help
// window. file is the help file's path, alone (its default topic) or followed by "::/" and a
// topic page; command 0 shows a topic. Failures throw std::runtime_error (UTF-8 text) for the
// application's general error display; a help request never stops the program.
int show_help(QWidget* window, const QString& file, int command = 0, int data = 0);
// Releases the help engine; called when the main window closes.
void close_help();

// The help file path for a topic page ("" for the default topic), in the current directory.
QString help_file(const QString& topic = QString());
