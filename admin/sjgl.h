#pragma once

#include <QDate>
#include <QWidget>
#include <functional>
#include <optional>

#include "session.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// "数据管理": backs the database up to a dated file in a chosen directory, and restores it
// from a chosen backup.
class Tfr_sjgl : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_sjgl(Session& session, QWidget* parent = nullptr);

    // The file-open dialog of "打开": returns the chosen file, empty on cancel. Tests replace it.
    std::function<QString(QWidget* parent, const QString& filter)> pickFile;
    // The dialog of "数据库口令": the new passphrase (empty: back to the built-in key), nothing
    // on cancel. Tests replace it.
    std::function<std::optional<QString>(QWidget* parent)> choosePassphrase;

    void RadioButton1Click(QRadioButton* clicked);          // switches between backup and restore
    void DriveComboBox1Change();                            // the directory list moves to the drive
    void DirectoryListBox1DblClick(QTreeWidgetItem* item);  // opens it, makes it the target
    void SpeedButton1Click();                               // "打开": picks the restore source
    void SpeedButton3Click();                               // "确定": runs the backup or restore
    void SpeedButton4Click();                               // "帮助"
    // "数据库口令": gives the ledger a passphrase of its own, or removes it.
    void SpeedButton5Click();

    // The directory the list has open.
    QString directory() const { return directory_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void openDirectory(const QString& path);
    void setOuterWidth(int width);
    void runBackup();
    void runRestore();
    // Runs work that holds the window for a while, with the status text and a busy cursor;
    // returns the failure's message, empty on success.
    QString busy(const QString& status, const std::function<void()>& work);

    Session& session_;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QComboBox* DriveComboBox1;
    QTreeWidget* DirectoryListBox1;
    QPushButton* SpeedButton1;
    QString directory_;
};
