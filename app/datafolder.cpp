#include "datafolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "errors.h"
#include "fr_dat.h"
#include "messages.h"
#include "places.h"
#include "widgets.h"

DataFolderDialog::DataFolderDialog(const QString& proposed, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DataFolder"));
    setWindowTitle(QStringLiteral("数据文件夹"));
    auto* form = new QFormLayout(this);
    form->addRow(
        new QLabel(QStringLiteral("请选择存放账本数据库（LedgerData.mdb）、备份和设置的"
                                  "文件夹：")));
    folder_ = new QLineEdit(QDir::toNativeSeparators(proposed));
    folder_->setObjectName(QStringLiteral("Edit1"));
    folder_->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("浏览…"));
    browse->setObjectName(QStringLiteral("Browse"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString picked = QFileDialog::getExistingDirectory(this, windowTitle(), folder());
        if (!picked.isEmpty()) folder_->setText(QDir::toNativeSeparators(picked));
    });
    auto* row = new QHBoxLayout;
    row->addWidget(folder_);
    row->addWidget(browse);
    form->addRow(QStringLiteral("文件夹："), row);
    form->addRow(okCancelButtons(this));
}

QString DataFolderDialog::folder() const {
    return QDir::cleanPath(QDir::fromNativeSeparators(folder_->text().trimmed()));
}

void DataFolderDialog::accept() {
    const QString chosen = folder();
    if (folder_->text().trimmed().isEmpty()) {
        qb::messages().plain(QStringLiteral("请选择一个文件夹！"));
        return;
    }
    if (!QDir().mkpath(chosen) || !QFileInfo(chosen).isWritable()) {
        qb::messages().plain(QStringLiteral("文件夹 %1 不能建立或不能写入，请另选一个。")
                                 .arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    QDialog::accept();
}

std::optional<QString> choose_data_folder(const QString& given, const AskDataFolder& ask) {
    if (!given.isEmpty()) {
        QDir().mkpath(given);  // one that cannot be made is reported when the ledger is made there
        return QDir(given).absolutePath();
    }
    const QString here = QDir::currentPath();
    if (QFileInfo::exists(Tdat::pathIn(here))) return here;
    const QString remembered = qb::places::rememberedDataFolder();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
    if (!ask) return here;
    const std::optional<QString> chosen =
        ask(remembered.isEmpty() ? qb::places::proposedDataFolder() : remembered);
    if (!chosen) return std::nullopt;
    try {
        qb::places::rememberDataFolder(*chosen);
    } catch (const qb::DbError& e) {
        qb::messages().plain(
            QStringLiteral("数据文件夹没有记下，下次启动时还会再问：%1").arg(e.message()));
    }
    return chosen;
}
