#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QLineEdit;

// Asks on a first start where the ledger is to be kept, proposing a folder that need not exist
// yet; accepting makes the folder.
class DataFolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit DataFolderDialog(const QString& proposed, QWidget* parent = nullptr);
    QString folder() const;
    void accept() override;

private:
    QLineEdit* folder_;
};

// Runs the dialog and gives the folder chosen, or nothing when the user cancels.
using AskDataFolder = std::function<std::optional<QString>(const QString& proposed)>;

// The folder the window program works in: the one given on its command line; else the current
// directory when it holds a ledger file, so nothing changes for an existing desk; else the one
// remembered for the user; else, on a first start, the one asked for (and remembered). Without
// a way to ask, the current directory. Nothing when the user cancels the question.
std::optional<QString> choose_data_folder(const QString& given, const AskDataFolder& ask);
