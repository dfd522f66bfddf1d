// Prepared reports kept in their own file and opened again, and the balance table's chart, which
// prints only when the program gives it.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "answering_messages.h"
#include "prepared.h"
#include "report.h"
#include "samples.h"

using qb::report::Document;
using qb::report::Item;
using qb::report::Report;

namespace {

const QString kTemplates = QStringLiteral(QB_TEMPLATES_DIR);

QImage picture() {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(10, 10, 50, 40, Qt::darkGreen);
    return image;
}

QImage painted(const Document& document, int page) {
    const QSizeF mm = document.paperMm();
    QImage image(int(mm.width() * 2), int(mm.height() * 2), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    qb::report::paintPage(painter, document, page, 2);
    return image;
}

int pictures(const Document& document) {
    int n = 0;
    for (const auto& page : document.pages)
        for (const Item& item : page.items)
            n += item.kind == Item::Kind::Picture;
    return n;
}

}  // namespace

// Every page comes back as it was: painted again, each is the same picture, chart included; a
// text with a control character and braces comes back as it was too.
TEST(PreparedReport, SavedAndOpenedAgainExactlyAsItWas) {
    Report table;
    ASSERT_TRUE(table.loadOrDefault(kTemplates + "/zhye.rls", qb::report::builtinBalanceTable()));
    auto rows = samples::balances(40);
    rows->addRow({QStringLiteral("现金日记帐"), QStringLiteral("控制\x01符{page}"), QString(),
                  QStringLiteral("1.00")});
    table.setDataSource(rows);
    ASSERT_TRUE(table.setPicture("chart", picture()));
    ASSERT_TRUE(table.prepare());
    const Document& before = *table.document();

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(qb::report::writePrepared(before, dir.filePath("zhye.qbr"), &error));
    // It holds the ledger's figures: for its owner alone.
    EXPECT_EQ(QFile::permissions(dir.filePath("zhye.qbr")),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const auto after = qb::report::readPrepared(dir.filePath("zhye.qbr"), &error);
    ASSERT_TRUE(after) << error.toStdString();
    EXPECT_TRUE(after->layout.isEquivalentTo(before.layout));
    ASSERT_EQ(after->pages.size(), before.pages.size());
    for (int p = 0; p < int(before.pages.size()); ++p)
        EXPECT_EQ(painted(*after, p), painted(before, p)) << "page " << p + 1;
    EXPECT_EQ(pictures(*after), 1);
    EXPECT_EQ(after->find(QStringLiteral("控制\x01符{page}")).size(), 1u);
}

TEST(PreparedReport, AFileThatIsNoPreparedReportIsRefused) {
    QTemporaryDir dir;
    for (const QByteArray& content :
         {QByteArray("<report/>"), QByteArray("not xml at all"),
          QByteArray("<preparedReport version=\"1\"><paper width=\"210\" height=\"297\" left=\"0\" "
                     "top=\"0\" right=\"0\" bottom=\"0\"/><page><text x=\"1\" y=\"1\" w=\"1\" "
                     "h=\"1\" font=\"3\">x</text></page></preparedReport>")}) {
        QFile file(dir.filePath("bad.qbr"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString error;
        EXPECT_FALSE(qb::report::readPrepared(file.fileName(), &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

// The balance table's chart band prints only when the chart was given: the command-line tool's
// table ends with its total, the window's with the chart.
TEST(ReportLayout, AppendixPrintsOnlyWithWhatItNeeds) {
    Report table;
    ASSERT_TRUE(table.loadOrDefault(kTemplates + "/zhye.rls", qb::report::builtinBalanceTable()));
    table.setDataSource(samples::balances(5));
    ASSERT_TRUE(table.prepare());
    EXPECT_EQ(pictures(*table.document()), 0);
    EXPECT_TRUE(table.document()->find(QStringLiteral("近十二个月")).empty());
    EXPECT_EQ(table.pageCount(), 1);

    ASSERT_TRUE(table.setPicture("chart", picture()));
    ASSERT_TRUE(table.prepare());
    EXPECT_EQ(pictures(*table.document()), 1);
    EXPECT_EQ(table.document()->find(QStringLiteral("近十二个月")).size(), 1u);
    // A chart that no longer fits goes to a page of its own, without the table's column titles.
    table.setDataSource(samples::balances(30));
    ASSERT_TRUE(table.prepare());
    ASSERT_EQ(table.pageCount(), 2);
    const auto titles = table.document()->find(QStringLiteral("账簿类别"));
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].first, 0);
    EXPECT_EQ(table.document()->find(QStringLiteral("近十二个月"))[0].first, 1);

    AnsweringMessages messages;
    EXPECT_FALSE(table.setPicture("Memo1", picture()));  // no such object
    EXPECT_FALSE(table.setText("chart", "x"));           // a picture takes no text
    EXPECT_EQ(messages.texts.size(), 2);
}
