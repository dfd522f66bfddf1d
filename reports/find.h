#pragma once

#include <QWidget>

class QComboBox;
class QDateEdit;
struct Session;

// "查找": picks a book by its name and category from the lists in "zbinfo.ini" and a month, and
// opens that month of the book in a further register window; the query then closes itself.
class Tfr_find : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_find(Session& session, QWidget* parent = nullptr);

    void SpeedButton1Click();  // search
    void SpeedButton3Click();  // help

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    Session& session_;
    bool shown_ = false;
    QComboBox* ComboBox1;  // book names
    QComboBox* ComboBox2;  // book categories
    QDateEdit* dtp;        // only its year and month count
};
