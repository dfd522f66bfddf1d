#pragma once

#include <QWidget>

#include "fr_dat.h"
#include "session.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QueryModel;

// "用户管理": the users who may log in, their passwords and roles. At least one administrator
// always remains, so user management can never lock itself out.
class Tfr_yhgl : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_yhgl(Session& session, QWidget* parent = nullptr);
    ~Tfr_yhgl() override;

    void SpeedButton1Click();  // "添加"
    void SpeedButton2Click();  // "删除"
    void SpeedButton4Click();  // "保存": store the user being edited
    void SpeedButton5Click();  // "帮助"
    void DBGrid1DblClick();    // load the current user for changing

private:
    void reopen();
    void clearFields();
    int currentRow() const;

    Session& session_;
    qb::Query query1;
    QueryModel* model_;
    QTableView* DBGrid1;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QPushButton* SpeedButton4;
    qint64 editing_ = 0;  // the row id of the user being edited; 0 when not editing
};
