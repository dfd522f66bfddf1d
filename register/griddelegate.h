#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

// The grid's editors: a date drop-down for the booking date, spin buttons for the numbers, the
// summary pick list, and amount editors that take only numbers with at most two decimals.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setPhrases(const QStringList& phrases) { phrases_ = phrases; }
    const QStringList& phrases() const { return phrases_; }
    // Opens the calendar of a date editor; other editors are left alone.
    static void dropDown(QWidget* editor);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    QStringList phrases_;
};
