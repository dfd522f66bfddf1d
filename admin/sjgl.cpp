#include "sjgl.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>

#include "backup.h"
#include "chm.h"
#include "errors.h"
#include "fr_dat.h"
#include "guarded.h"
#include "messages.h"
#include "oplog.h"
#include "passphrase.h"
#include "schema.h"
#include "widgets.h"

namespace {

constexpr int kBackupWidth = 573;
constexpr int kRestoreWidth = 360;

const QString kDone = QStringLiteral("操作完成！");
const QString kFailed = QStringLiteral("操作失败，请检查目录或文件是否正确。");

QString targetIn(const QString& directory) {
    return QDir::toNativeSeparators(qb::backupTarget(directory, QDate::currentDate()));
}

// The places a backup can go: the file system's root, the home folder and the writable volumes
// of disks and network shares (not the system's own pseudo file systems).
QStringList drives() {
    QStringList roots{QDir::rootPath(), QDir::homePath()};
    static const QList<QByteArray> shares{"nfs", "nfs4", "cifs", "smb3"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const bool disk = volume.device().startsWith("/dev/");
        if (volume.isValid() && volume.isReady() && !volume.isReadOnly() &&
            (disk || shares.contains(volume.fileSystemType())) &&
            !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    return roots;
}

}  // namespace

Tfr_sjgl::Tfr_sjgl(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("fr_sjgl"));
    setWindowTitle(QStringLiteral("数据管理"));
    pickFile = [](QWidget* parent, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("打开"), QDir::currentPath(),
                                            filter);
    };
    choosePassphrase = [](QWidget* parent) -> std::optional<QString> {
        return PassphraseDialog(
                   PassphraseDialog::Purpose::Choose,
                   QStringLiteral("给数据库设置自己的口令。"
                                  "两栏都留空，则去掉数据库自己的口令，改回内置口令。"),
                   parent)
            .ask();
    };

    auto frame = [this](int top, QRadioButton*& choice, QLineEdit*& edit, const char* choiceName,
                        const char* editName, const QString& caption) {
        auto* box = new QGroupBox(this);
        box->setGeometry(8, top, 336, 84);
        choice = new QRadioButton(caption, box);
        choice->setObjectName(QLatin1String(choiceName));
        choice->setAutoExclusive(false);  // the two frames exclude each other by hand
        choice->move(12, 12);
        choice->adjustSize();
        edit = new QLineEdit(box);
        edit->setObjectName(QLatin1String(editName));
        edit->setReadOnly(true);
        edit->setGeometry(12, 44, 312, 24);
        connect(choice, &QRadioButton::clicked, this,
                [this, choice] { RadioButton1Click(choice); });
    };
    frame(8, RadioButton1, Edit1, "RadioButton1", "Edit1", QStringLiteral("数据备份"));
    frame(100, RadioButton2, Edit2, "RadioButton2", "Edit2", QStringLiteral("数据还原"));

    auto button = [this](const char* name, const QString& caption, int left) {
        QPushButton* b = namedButton(this, name, caption);
        b->setGeometry(left, 198, 78, 28);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("打开"), 8);
    QPushButton* run = button("SpeedButton3", QStringLiteral("确定"), 94);
    QPushButton* quit = button("SpeedButton2", QStringLiteral("关闭"), 180);
    QPushButton* help = button("SpeedButton4", QStringLiteral("帮助"), 266);
    QPushButton* passphrase = button("SpeedButton5", QStringLiteral("数据库口令"), 8);
    passphrase->setGeometry(8, 234, 164, 28);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(352, 14, 205, 26);
    const QString here = QDir::currentPath();
    int best = 0;
    for (const QString& root : drives()) {
        DriveComboBox1->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon),
                                QDir::toNativeSeparators(root), root);
        // The drive of the working directory: the longest root that contains it.
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((here + QLatin1Char('/')).startsWith(prefix) &&
            root.size() > DriveComboBox1->itemData(best).toString().size())
            best = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(best);
    DirectoryListBox1 = new QTreeWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setRootIsDecorated(false);
    DirectoryListBox1->setItemsExpandable(false);
    DirectoryListBox1->setExpandsOnDoubleClick(false);
    DirectoryListBox1->setIndentation(12);
    // The tree never folds, so it shows no fold marks.
    DirectoryListBox1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
    DirectoryListBox1->setGeometry(352, 46, 205, 180);

    setFixedHeight(272);
    RadioButton1->setChecked(true);
    SpeedButton1->setEnabled(false);
    setOuterWidth(kBackupWidth);
    openDirectory(here);
    Edit1->setText(targetIn(here));

    connect(DriveComboBox1, &QComboBox::activated, this, &Tfr_sjgl::DriveComboBox1Change);
    connect(DirectoryListBox1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { DirectoryListBox1DblClick(item); });
    connect(SpeedButton1, &QPushButton::clicked, this, &Tfr_sjgl::SpeedButton1Click);
    connect(run, &QPushButton::clicked, this, &Tfr_sjgl::SpeedButton3Click);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, &Tfr_sjgl::SpeedButton4Click);
    connect(passphrase, &QPushButton::clicked, this, &Tfr_sjgl::SpeedButton5Click);
}

void Tfr_sjgl::setOuterWidth(int width) {
    // Inside the main window the frame of the sub-window counts towards the width.
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    const int frame =
        sub ? 2 * sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub) : 0;
    setFixedWidth(width - frame);
    if (sub) sub->resize(width, sub->height());
}

void Tfr_sjgl::showEvent(QShowEvent* event) {
    setOuterWidth(RadioButton1->isChecked() ? kBackupWidth : kRestoreWidth);
    QWidget::showEvent(event);
}

void Tfr_sjgl::RadioButton1Click(QRadioButton* clicked) {
    const bool backup = clicked == RadioButton1;
    RadioButton1->setChecked(backup);
    RadioButton2->setChecked(!backup);
    SpeedButton1->setEnabled(!backup);
    DriveComboBox1->setVisible(backup);
    DirectoryListBox1->setVisible(backup);
    setOuterWidth(backup ? kBackupWidth : kRestoreWidth);
}

// The tree shows the path from the root down to the open directory, then its subdirectories.
void Tfr_sjgl::openDirectory(const QString& path) {
    directory_ = QDir(path).absolutePath();
    DirectoryListBox1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [&](QTreeWidgetItem* parent, const QString& text, const QString& full,
                   const QIcon& icon) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(DirectoryListBox1);
        item->setText(0, text);
        item->setIcon(0, icon);
        item->setData(0, Qt::UserRole, full);
        item->setExpanded(true);
        return item;
    };
    QString walked = QDir::rootPath();
    QTreeWidgetItem* current = add(nullptr, QDir::toNativeSeparators(walked), walked, open);
    for (const QString& part : directory_.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked = QDir(walked).filePath(part);
        current = add(current, part, walked, open);
    }
    const QDir dir(directory_);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        add(current, sub, dir.filePath(sub), closed);
    DirectoryListBox1->setCurrentItem(current);
    DirectoryListBox1->scrollToItem(current);
}

void Tfr_sjgl::DriveComboBox1Change() {
    openDirectory(DriveComboBox1->currentData().toString());
}

void Tfr_sjgl::DirectoryListBox1DblClick(QTreeWidgetItem* item) {
    if (!item) return;
    const QString path = item->data(0, Qt::UserRole).toString();
    openDirectory(path);
    Edit1->setText(targetIn(path));
}

void Tfr_sjgl::SpeedButton1Click() {
    const QString file = pickFile(this, QStringLiteral("财务数据库 (*.dat *.DAT)"));
    if (!file.isEmpty()) Edit2->setText(QDir::toNativeSeparators(file));
}

void Tfr_sjgl::SpeedButton3Click() {
    if (session_.dat.connected() && !session_.dat.fileOps()) {
        qb::messages().plain(qb::kServerLedgerBackups);
        return;
    }
    if (RadioButton1->isChecked())
        runBackup();
    else
        runRestore();
}

void Tfr_sjgl::runBackup() {
    // The copy is verified before it counts: seconds for a large ledger.
    const bool done =
        busy(QStringLiteral("正在备份数据……"), [this] {
            const QString target = QDir::fromNativeSeparators(Edit1->text());
            qb::backupDatabase(session_.dat, target);
            qb::oplog::append_alone(session_.dat, {qb::oplog::kBackupMade,
                                                   {},
                                                   {},
                                                   0,
                                                   {},
                                                   qb::oplog::values_text({{"file", target}})});
        }).isEmpty();
    qb::messages().plain(done ? kDone : kFailed);
}

QString Tfr_sjgl::busy(const QString& status, const std::function<void()>& work) {
    session_.setStatusText(status);
    QString failure;
    try {
        const WaitCursor waiting;
        work();
    } catch (const qb::DbError& e) {
        failure = e.message();
    }
    session_.setStatusText(QString());
    return failure;
}

void Tfr_sjgl::runRestore() {
    const QString source = QDir::fromNativeSeparators(Edit2->text());
    // No question about overwriting when there is nothing that could overwrite.
    if (source.isEmpty() || !qb::isLedgerDatabase(source, nullptr, session_.dat.passphrase())) {
        qb::messages().plain(kFailed);
        return;
    }
    if (qb::messages().ask(
            QStringLiteral("系统警告"),
            QStringLiteral("“还原数据库”将会覆盖现有的数据，而且不可恢复，是否继续？"),
            qb::MsgIcon::Information, qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    try {
        // The restored file's log records what the replaced file's chains ended with.
        const QString replaced = qb::oplog::last_hashes(session_.dat);
        qb::restoreDatabase(session_.dat, source);
        qb::oplog::append_alone(session_.dat, {qb::oplog::kBackupRestored,
                                               {},
                                               {},
                                               0,
                                               replaced,
                                               qb::oplog::values_text({{"file", source}})});
    } catch (const qb::DbError&) {
        qb::messages().plain(kFailed);
        return;
    }
    // Nothing may go on showing rows of the replaced file.
    if (session_.closeChildWindows) session_.closeChildWindows(this);
    qb::messages().plain(kDone);
}

void Tfr_sjgl::SpeedButton4Click() {
    guarded([this] { show_help(this, help_file(QStringLiteral("数据管理.htm"))); });
}

void Tfr_sjgl::SpeedButton5Click() {
    if (!session_.permits(qb::roles::Action::Passphrase)) return;
    if (!session_.dat.connected()) {
        qb::messages().plain(QStringLiteral("没有连接数据库，不能设置数据库口令。"));
        return;
    }
    if (!session_.dat.fileOps()) {
        qb::messages().plain(qb::kServerLedgerPassphrase);
        return;
    }
    const std::optional<QString> chosen = choosePassphrase(this);
    if (!chosen) return;
    const bool removing = chosen->isEmpty();
    if (removing && session_.dat.passphrase().isEmpty()) {
        qb::messages().plain(QStringLiteral("数据库没有自己的口令，用的是内置口令。"));
        return;
    }
    const QString warning =
        removing ? QStringLiteral(
                       "去掉数据库自己的口令后，任何有本程序的人都能打开数据库文件。"
                       "是否继续？")
                 : QStringLiteral(
                       "以后每次启动都要输入这个口令才能打开数据库，今后的备份也要用它"
                       "打开；忘记了口令，数据就再也打不开了。是否继续？");
    if (qb::messages().ask(QStringLiteral("系统警告"), warning, qb::MsgIcon::Warning,
                           qb::MsgButtons::YesNo) != qb::MsgAnswer::Yes)
        return;
    // Every page is encrypted anew: a large ledger takes a few seconds.
    const QString failure = busy(QStringLiteral("正在重新加密数据库……"), [&] {
        session_.dat.setPassphrase(*chosen);
        qb::oplog::append_alone(
            session_.dat, {removing ? qb::oplog::kPassphraseRemoved : qb::oplog::kPassphraseSet,
                           {},
                           {},
                           0,
                           {},
                           {}});
    });
    if (!failure.isEmpty())
        qb::messages().plain(QStringLiteral("数据库口令没有更改：%1").arg(failure));
    else
        qb::messages().plain(removing ? QStringLiteral("数据库已改回内置口令。")
                                      : QStringLiteral("数据库口令已设置。"));
}
