// Screenshots of the account books windows with sample data, for looking at them as a cashier
// would: screenshots_books <output directory>.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTreeWidget>

#include "session.h"
#include "templedger.h"
#include "zbgl.h"
#include "zbgl_in.h"
#include "zbinfo.h"
#include "zhxx.h"

namespace {

void sampleBooks(Tdat& dat) {
    struct Book {
        const char *id, *category, *name, *account;
        double opening;
        const char *flag, *start;
    };
    const Book books[] = {
        {"2024011", "现金日记帐", "库存现金", "-", 12850.5, "1", "2024-01-01"},
        {"2024012", "银行日记帐", "中国工商银行基本户", "1202 0217 0920 0123 456", 1563200, "1",
         "2024-01-01"},
        {"2024013", "银行日记帐", "中国建设银行一般户", "4100 1526 0100 5026 8", 300000, "1",
         "2024-01-01"},
        {"2024014", "银行卡", "招商银行工资卡", "6225 8802 1234 5678", 8650.75, "0", "2024-03-15"},
        {"2024031", "银行日记帐", "中国农业银行专用户", "1611 0401 0400 1234 5", 0, "0",
         "2024-04-01"},
    };
    for (const Book& b : books)
        dat.execute("insert into accstar(zbid,zblb,zbmc,zh,qcye,flag,qyrq) values(?,?,?,?,?,?,?)",
                    {b.id, b.category, b.name, b.account, b.opening, b.flag, b.start});
}

void save(QWidget& window, const QDir& out, const QString& name) {
    window.show();
    QApplication::processEvents();
    window.grab().save(out.filePath(name));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    QFont::insertSubstitution("宋体", "WenQuanYi Zen Hei");
    QFont font("宋体");
    font.setPixelSize(12);
    QApplication::setFont(font);
    const QDir out(argc > 1 ? argv[1] : "/tmp/quillbook-shots/books");
    out.mkpath(".");

    TempLedger ledger;
    qb::zbinfo::setDirectory(ledger.dir());
    qb::zbinfo::save({"库存现金", "中国工商银行基本户", "中国建设银行一般户", "招商银行工资卡"},
                     {"现金日记帐", "银行日记帐", "银行卡"});
    sampleBooks(ledger.dat);
    Session session(ledger.dat);

    Tfr_zbgl list(session);
    list.findChild<QTreeWidget*>("ListView1")
        ->setCurrentItem(list.findChild<QTreeWidget*>("ListView1")->topLevelItem(1));
    save(list, out, "zbgl.png");

    Tfr_zbgl_in editor(session);
    editor.setBook("2024014",
                   {"银行卡", "招商银行工资卡", "6225 8802 1234 5678", 865075, QDate(2024, 3, 15)},
                   false);
    save(editor, out, "zbgl_in.png");

    Tfr_zhxx names(session);
    save(names, out, "zhxx.png");
    return 0;
}
