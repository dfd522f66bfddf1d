#pragma once

#include <QString>

// Where the program finds what it ships and keeps what a user settles. The ledger's folder (the
// data folder) comes first, so a cashier's own edited templates win; an installed program finds
// its shipped files in ../share/quillbook beside its own folder, wherever the package was
// unpacked; a program run from its build tree finds them beside itself.
namespace qb::places {

// A file the program ships (report templates, the workbook template, the help file): the one in
// the ledger's folder, else the installed one, else the one beside the program. When there is
// none, the name in the ledger's folder, so that a message says where it was looked for first.
QString shipped(const QString& ledgerFolder, const QString& name);

// The folder of the program file, where older desks keep their settings files.
QString programFolder();

// The user's settings file quillbook.ini in $XDG_CONFIG_HOME/quillbook/; an older one beside the
// program is read while the user has none of their own.
QString settingsFile();

// The data folder the window program was last pointed to, remembered in the user's settings
// file; empty when none is remembered. rememberDataFolder writes it there (the server section
// and everything else in the file kept), throwing qb::DbError when it cannot.
QString rememberedDataFolder();
void rememberDataFolder(const QString& folder);

// Where a first start proposes to keep the ledger: Quillbook in the user's documents folder as
// the XDG user dirs name it (~/文档/Quillbook, ~/Documents/Quillbook).
QString proposedDataFolder();

}  // namespace qb::places
