// The child windows of the program, one line per kind, by the menu entry that opens them. A kind
// without a line opens nothing. To plug a window: include its header here, add its line, and
// the program links its library (see CMakeLists.txt).
#include "childregistry.h"
#include "czrz.h"
#include "dj.h"
#include "entries.h"
#include "find.h"
#include "sjgl.h"
#include "yetab.h"
#include "yhgl.h"
#include "zbgl.h"
#include "zhxx.h"
#include "zjrb.h"
#include "zy.h"

void plug_child_windows(ChildWindows& windows) {
    windows.plug(QLatin1String(entries::kRegister), make_child<Tfr_dj>());      // register
    windows.plug(QLatin1String(entries::kBalanceTable), make_child<TForm3>());  // balance table
    windows.plug(QLatin1String(entries::kQuery), make_child<Tfr_find>());       // journal query
    windows.plug(QLatin1String(entries::kBookList), make_child<Tfr_zbgl>());    // book list
    windows.plug(QLatin1String(entries::kPhrases), make_child<Tfr_zy>());       // summary phrases
    windows.plug(QLatin1String(entries::kBookNames),
                 make_child<Tfr_zhxx>());  // book names and categories
    windows.plug(QLatin1String(entries::kUsers), make_child<Tfr_yhgl>());   // users
    windows.plug(QLatin1String(entries::kBackup), make_child<Tfr_sjgl>());  // backup and restore
    windows.plug(QLatin1String(entries::kOpLog), make_child<Tfr_czrz>());   // operation log
    windows.plug(QLatin1String(entries::kDailyReport), make_child<Tfr_zjrb>());  // daily report
}
