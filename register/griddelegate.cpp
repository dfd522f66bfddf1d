#include "griddelegate.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <limits>

#include "monthmodel.h"

namespace {

// A line stays in its month, so the day is what gets typed ("20", Tab): the editor keeps to the
// month of the date it was given and starts on the day.
class DayEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;
    void setDay(const QDate& day) {
        const QDate first(day.year(), day.month(), 1);
        setDateRange(first, first.addMonths(1).addDays(-1));
        setDate(day);
    }

    // As if the drop-down arrow had been pressed.
    void dropDown() {
        QStyleOptionComboBox option;
        option.initFrom(this);
        option.editable = true;
        option.subControls = QStyle::SC_All;
        const QPoint arrow =
            style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this)
                .center();
        QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        mousePressEvent(&press);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDateEdit::showEvent(event);
        setSelectedSection(DaySection);
    }
    void focusInEvent(QFocusEvent* event) override {
        QDateEdit::focusInEvent(event);
        setSelectedSection(DaySection);
    }
};

}  // namespace

void GridDelegate::dropDown(QWidget* editor) {
    if (auto* date = dynamic_cast<DayEdit*>(editor)) date->dropDown();
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    switch (index.column()) {
        case MonthModel::Dzrq: {
            auto* edit = new DayEdit(parent);
            edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            edit->setCalendarPopup(true);
            edit->setFrame(false);
            return edit;
        }
        case MonthModel::Pzh:
        case MonthModel::Pzn: {
            auto* spin = new QSpinBox(parent);
            spin->setRange(0, std::numeric_limits<qint16>::max());
            spin->setFrame(false);
            spin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return spin;
        }
        case MonthModel::Zy: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(phrases_);
            combo->lineEdit()->setMaxLength(50);
            return combo;
        }
        case MonthModel::JJe:
        case MonthModel::DJe: {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // Whole cents only: an amount with a third decimal or a letter cannot be typed.
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("-?[0-9]{0,13}([.][0-9]{0,2})?")), edit));
            return edit;
        }
        default: {
            QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto* edit = qobject_cast<QLineEdit*>(editor))
                edit->setMaxLength(index.column() == MonthModel::Ph ? 15 : 10);
            return editor;
        }
    }
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QVariant value = index.data(Qt::EditRole);
    if (auto* date = dynamic_cast<DayEdit*>(editor)) {
        date->setDay(value.toDate().isValid() ? value.toDate() : QDate::currentDate());
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setEditText(value.toString());
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* date = qobject_cast<QDateEdit*>(editor)) {
        model->setData(index, date->date());
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentText());
    } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
        spin->interpretText();
        model->setData(index, spin->value());
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}
