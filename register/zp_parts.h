#pragma once

// The pieces the cheque register's pages and the cash count build their controls from. Private
// to register/.
#include <QColor>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>
#include <optional>

#include "errors.h"
#include "money.h"

namespace zp_parts {

inline QToolButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

template <typename W>
W* named(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

inline QTableWidget* table(QWidget* parent, const char* name, const QStringList& columns) {
    auto* t = named<QTableWidget>(parent, name);
    t->setColumnCount(int(columns.size()));
    t->setHorizontalHeaderLabels(columns);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    return t;
}

inline void setRow(QTableWidget* t, int row, const QStringList& cells, const QColor& ink = {},
                   const QColor& paper = {}) {
    for (int c = 0; c < int(cells.size()); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (ink.isValid()) item->setForeground(ink);
        if (paper.isValid()) item->setBackground(paper);
        t->setItem(row, c, item);
    }
}

inline QString amountCell(qb::money::Cents cents) {
    return cents ? qb::money::grouped(cents) : QString();
}

// A date picked from a calendar, today to begin with.
inline QDateEdit* dateEdit(QWidget* parent, const char* name) {
    auto* d = named<QDateEdit>(parent, name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setDate(QDate::currentDate());
    return d;
}

// Fields with their captions, four to a row of the grid.
inline QGridLayout* fieldGrid(QWidget* parent,
                              std::initializer_list<std::pair<QString, QWidget*>> cells) {
    auto* grid = new QGridLayout;
    int at = 0;
    for (const auto& [caption, widget] : cells) {
        grid->addWidget(new QLabel(caption, parent), at / 4, at % 4 * 2);
        grid->addWidget(widget, at / 4, at % 4 * 2 + 1);
        ++at;
    }
    return grid;
}

// An amount typed in a field: empty is none, anything else must read.
inline qb::money::Cents typedAmount(const QLineEdit* edit, const QString& what) {
    if (edit->text().trimmed().isEmpty()) return 0;
    const std::optional<qb::money::Cents> cents = qb::money::parse(edit->text());
    if (!cents) throw qb::DbError(QStringLiteral("%1“%2”不是有效的金额。").arg(what, edit->text()));
    return *cents;
}

}  // namespace zp_parts
