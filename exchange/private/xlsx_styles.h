#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamAttributes>
#include <map>
#include <vector>

#include "workbook.h"

namespace qb::workbook::xlsx {

// The cell formats of a workbook (the "cellXfs" of its styles part) as far as the writer needs
// them: what kind of value each one's number format shows, and new formats made from existing
// ones with another number format, so a value shows as it should while the cell keeps its font,
// borders, fill and alignment.
class Styles {
public:
    // An empty part stands for a workbook without styles: every cell keeps its format.
    Styles(const QByteArray& xml, const QString& origin);

    // The format for a value of the kind in a cell formatted as base: base itself when it shows
    // such values already, else a copy of it with "#,##0.00" for amounts, "yyyy-mm-dd" for
    // dates and the general format for numbers in a date format.
    int forKind(int base, Cell::Kind kind);
    // Whether two formats differ at most in their number format.
    bool sameLook(int a, int b) const;
    // Whether a cell of the format shows its number as a date or time.
    bool showsDate(int format) const { return shows(numberFormatOf(format)) == Shows::Date; }

    bool changed() const { return added_ > 0; }
    // The styles part with the formats made here.
    QByteArray xml() const;

private:
    enum class Shows { General, Text, Date, Number };
    struct Format {
        QXmlStreamAttributes attributes;
        std::vector<std::pair<QString, QXmlStreamAttributes>> children;  // alignment, protection
    };
    Shows shows(int numberFormat) const;
    int numberFormatOf(int format) const;
    int dateFormatId();
    int withNumberFormat(int base, int numberFormat);

    QByteArray xml_;
    QString origin_;
    QString prefix_;
    std::vector<Format> formats_;
    std::map<int, QString> codes_;  // the workbook's own number formats by id
    bool hasCodeList_ = false;
    std::map<std::pair<int, int>, int> made_;
    int added_ = 0;
    int addedCode_ = -1;  // the id of a number format added here
};

}  // namespace qb::workbook::xlsx
