// The child windows of the program, one line per kind, by the menu entry that opens them. A kind
// without a line opens nothing. To plug a window: include its header here, add its line, and
// the program links its library (see CMakeLists.txt).
#include "childregistry.h"
#include "dj.h"
#include "zbgl.h"
#include "zhxx.h"

void plug_child_windows(ChildWindows& windows) {
    windows.plug(QStringLiteral("N9"), make_child<Tfr_dj>());  // register
    // N10 balance table TForm3; N11 journal query Tfr_find
    windows.plug(QStringLiteral("N12"), make_child<Tfr_zbgl>());  // book list
    // N13 summary phrases Tfr_zy
    windows.plug(QStringLiteral("N14"), make_child<Tfr_zhxx>());  // book names and categories
    // N5 users Tfr_yhgl; N6 backup and restore Tfr_sjgl
}
