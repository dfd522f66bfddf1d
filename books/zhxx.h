#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
struct Session;

// "帐户信息": the administrator's lists of book names and categories, kept in "zbinfo.ini".
// The lists are read when the window is made; changes stay in the window until "保存".
class Tfr_zhxx : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_zhxx(Session& session, QWidget* parent = nullptr);

    void SpeedButton1Click();  // add a name
    void SpeedButton2Click();  // delete the selected name
    void SpeedButton3Click();  // add a category
    void SpeedButton4Click();  // delete the selected category
    void SpeedButton5Click();  // save
    void SpeedButton7Click();  // help

private:
    static void addEntry(QLineEdit* edit, QListWidget* list);
    static void deleteSelected(QListWidget* list);
    static QStringList entries(const QListWidget* list);

    QLineEdit* Edit1;
    QListWidget* ListBox1;
    QLineEdit* Edit2;
    QListWidget* ListBox2;
};
