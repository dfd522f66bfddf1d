#include "about.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLabel* line(QVBoxLayout* layout, const char* name, const QString& text, bool bold = false) {
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    layout->addWidget(label);
    return label;
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于[Quillbook]"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(357, 212);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(3);
    line(layout, "Label1", QStringLiteral("Quillbook 出纳日记账"), true);
    line(layout, "Label2", QStringLiteral("Version 2.1"));
    line(layout, "Label3", QStringLiteral("青羽账务软件工作室"), true);
    line(layout, "Label4", QStringLiteral("地址：杭州市西湖区文三路 88 号"));
    line(layout, "Label5", QStringLiteral("电话：0571-8800 6600"));
    line(layout, "Label6",
         QStringLiteral("E-mail：support@quillbook.cn    网址：www.quillbook.cn"));
    auto* rule = new QFrame;
    rule->setObjectName(QStringLiteral("Bevel1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    line(layout, "Label7",
         QStringLiteral("本软件受著作权法保护。请定期备份账套数据；数据文件与备份文件"
                        "应妥善保管，未经授权不得复制或传播。"));
    layout->addStretch();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
