#pragma once

#include <QWidget>
#include <functional>

#include "fr_dat.h"

class QTreeWidget;
class QTreeWidgetItem;
class Tfr_zbgl_in;
struct Session;

// "帐簿管理": every account book with a tick that says whether it is enabled. Books are added,
// changed and deleted here; "保存" writes the ticks and creates the opening rows of every newly
// ticked book, which makes it appear in the register.
class Tfr_zbgl : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_zbgl(Session& session, QWidget* parent = nullptr);

    void load_dat();  // reloads the list, keeping unsaved ticks and the selected book
    void b_addClick();
    void ListView1DblClick();  // also "修改"
    void b_delClick();
    void SpeedButton2Click();  // save the ticks
    void SpeedButton4Click();  // help

    // Shows the book editor modally; tests drive the dialog through it instead.
    std::function<void(Tfr_zbgl_in&)> showEditor;

private:
    void openEditor(QTreeWidgetItem* item);

    Session& session_;
    qb::Query Query1;
    QTreeWidget* ListView1;
};
