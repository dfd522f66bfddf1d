#pragma once

#include <QTableView>
#include <QWidget>

class FilterHeader;
class FilterProxy;
class FooterRows;
class GridDelegate;
class MonthModel;
class QLineEdit;

// The table part of the grid; lets its owner finish an edit in progress.
class GridView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;
    // Writes what the open editor holds and closes it; nothing when no cell is being edited.
    void finishEdit();
    bool editing() const { return state() == EditingState; }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

// The register's data grid: titles with a filter row under them, the rows of the month view,
// and two footer rows aligned with the columns. Columns share the width in their design
// proportions whenever the grid is resized.
class JournalGrid : public QWidget {
    Q_OBJECT
public:
    JournalGrid(MonthModel& model, QWidget* parent = nullptr);

    GridView* view() const { return view_; }
    FilterProxy* proxy() const { return proxy_; }
    GridDelegate* delegate() const { return delegate_; }
    QLineEdit* filterEditor(int column) const;

    void setFooter(int row, int column, const QString& text);
    QString footer(int row, int column) const;

    // The month view's row under the cursor, -1 when there is none.
    int currentRow() const;
    int currentColumn() const;
    // Puts the cursor on a row of the month view (shown if filtered out is not possible).
    void setCurrent(int sourceRow, int column);
    void fitColumns();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MonthModel& model_;
    FilterProxy* proxy_;
    GridView* view_;
    FilterHeader* header_;
    FooterRows* footer_;
    GridDelegate* delegate_;
};
