#pragma once

#include <QWidget>

#include "fr_dat.h"
#include "session.h"

class QLineEdit;
class QTableView;
class QPushButton;
class QueryModel;

// "摘要": the list of frequently used summary phrases that the register offers. Narrowed as
// the user types, extended with or without a duplicate test, changed in place, pruned.
class Tfr_zy : public QWidget {
    Q_OBJECT
public:
    explicit Tfr_zy(Session& session, QWidget* parent = nullptr);
    ~Tfr_zy() override;

    void Edit1Change();        // narrows the list to the phrases that begin with the text
    void SpeedButton1Click();  // "添加(A)": add unless the phrase exists
    void SpeedButton2Click();  // "删除(&D)": delete the current phrase
    void SpeedButton3Click();  // "保存(&S)": store the phrase without the duplicate test
    void SpeedButton5Click();  // "帮助(&H)"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const QString& sql, const QVariantList& params = {});
    void showAll();
    void store();
    void postPending();
    void deleteCurrent();
    int currentRow() const;

    Session& session_;
    qb::Query query;
    QueryModel* model_;
    QLineEdit* Edit1;
    QTableView* DBGrid1;
};
