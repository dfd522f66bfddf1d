// Pictures of the printouts on sample data: the balance table with its chart, its print preview
// and PDF, and the register's print preview of a month with its PDF. Run by
// tools/screenshots_printing.sh in the working directory that holds the report templates.
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdio>

#include "answering_messages.h"
#include "dj.h"
#include "fr_dat.h"
#include "preview_dialog.h"
#include "report_preview.h"
#include "sample.h"
#include "session.h"
#include "templedger.h"
#include "yetab.h"

namespace {

QString out;

void shoot(QWidget& widget, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(out).filePath(name + QStringLiteral(".png"));
    widget.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

// The modal preview is pictured and saved as PDF under the name instead of waiting for a user.
void previewAs(const QString& name) {
    qb::report::asking().pdfFileName = [name](QWidget*, const QString&) {
        return QDir(out).filePath(name + QStringLiteral(".pdf"));
    };
    qb::report::asking().runModal = [name](QDialog& dialog) {
        auto& preview = static_cast<qb::report::PreviewDialog&>(dialog);
        preview.resize(1100, 760);
        preview.show();
        shoot(preview, name + QStringLiteral("_preview"));
        preview.savePdf();
        return 0;
    };
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/quillbook-shots");
    QDir().mkpath(out);
    AnsweringMessages messages;

    TempLedger ledger;
    Tdat& dat = ledger.dat;
    qb::sample::Options options;
    options.books = 7;
    options.months = 14;
    options.linesPerMonth = 40;
    options.lastMonth = QDate(2024, 6, 15);
    qb::sample::generate(dat, options);
    Session session(dat);
    session.login_user = QStringLiteral("admin");

    TForm3 table(session);
    table.today = options.lastMonth;
    table.show();
    shoot(table, QStringLiteral("yetab"));
    previewAs(QStringLiteral("zhye"));
    table.findChild<QPushButton*>(QStringLiteral("SpeedButton1"))->click();

    Tfr_dj reg(session);
    reg.resize(1280, 720);
    reg.show();
    auto* tree = reg.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    reg.findChild<QDateEdit*>(QStringLiteral("dtp"))->setDate(options.lastMonth.addMonths(-1));
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    reg.TreeView1Click();
    previewAs(QStringLiteral("pr"));
    reg.findChild<QToolButton*>(QStringLiteral("SpeedButton7"))->click();
    for (const QString& text : messages.texts)
        std::printf("message: %s\n", qPrintable(text));
    return 0;
}
