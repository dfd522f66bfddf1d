#pragma once

// The widgets the register's side windows (cheques, cash counts) are built of: named tool
// buttons, named widgets, read-only lists of whole rows.
#include <QColor>
#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>
#include <QToolButton>

namespace listwidgets {

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

}  // namespace listwidgets
