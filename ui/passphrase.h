#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

// Asks for a ledger's passphrase of its own: once to open the ledger, or twice to choose a new
// one (both boxes left empty mean going back to the built-in key).
class PassphraseDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Open, Choose };
    PassphraseDialog(Purpose purpose, const QString& text, QWidget* parent = nullptr);

    QString passphrase() const;
    // Runs the dialog: the passphrase typed, nothing when cancelled.
    std::optional<QString> ask();
    // Choose: the two boxes differ.
    void accept() override;

private:
    QLineEdit* first_;
    QLineEdit* again_ = nullptr;
};
