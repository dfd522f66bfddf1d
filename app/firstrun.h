#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class Tdat;

// Asks for the first administrator of a new database: name, password twice, and whether to fill
// the database with sample data.
class FirstRunDialog : public QDialog {
    Q_OBJECT
public:
    explicit FirstRunDialog(bool offerSample, QWidget* parent = nullptr);

    QString name() const;
    QString password() const;
    bool sample() const;
    // What is wrong with the input, or empty when it can be used.
    QString problem() const;
    void accept() override;

private:
    QLineEdit* name_;
    QLineEdit* password_;
    QLineEdit* again_;
    QCheckBox* sample_;
    bool offerSample_;
};

// Fills a new ledger with sample data, the administrator recorded as handler.
using SampleFill = std::function<void(Tdat& dat, const QString& admin)>;

// The start without a database file in the directory: asks whether to create one and for its
// administrator, then creates it, with sample data when chosen: whole or not at all. Returns
// true when the file now exists. Refusing explains what is missing and where. exec runs the
// dialog (replaced in tests); sample is null when no sample data is offered.
bool first_run(const QString& directory, const std::function<bool(FirstRunDialog&)>& exec,
               const SampleFill& sample);
