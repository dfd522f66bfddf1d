#include "messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(qb::MsgIcon icon) {
    switch (icon) {
        case qb::MsgIcon::Information:
            return QMessageBox::Information;
        case qb::MsgIcon::Warning:
            return QMessageBox::Warning;
        case qb::MsgIcon::Question:
            return QMessageBox::Question;
        case qb::MsgIcon::Critical:
            return QMessageBox::Critical;
        case qb::MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A carriage return breaks the line in the message texts; the box breaks lines at "\n".
QString lines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The buttons speak Chinese also where Qt's own translations are not installed.
void nameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Ok, "确定"},
        {QMessageBox::Cancel, "取消"},
        {QMessageBox::Yes, "是(&Y)"},
        {QMessageBox::No, "否(&N)"}};
    for (const auto& [which, name] : names)
        if (QAbstractButton* b = box.button(which)) b->setText(QString::fromUtf8(name));
}

}  // namespace

void MessageBoxService::plain(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), lines(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    nameButtons(box);
    box.exec();
}

qb::MsgAnswer MessageBoxService::ask(const QString& caption, const QString& text, qb::MsgIcon icon,
                                     qb::MsgButtons buttons) {
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == qb::MsgButtons::OkCancel) standard = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == qb::MsgButtons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(boxIcon(icon), caption, lines(text), standard, QApplication::activeWindow());
    nameButtons(box);
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return qb::MsgAnswer::Cancel;
        case QMessageBox::Yes:
            return qb::MsgAnswer::Yes;
        case QMessageBox::No:
            return qb::MsgAnswer::No;
        default:
            return qb::MsgAnswer::Ok;
    }
}
