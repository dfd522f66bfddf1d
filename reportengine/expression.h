#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace qb::report {

class DataSource;

// What a text needs from its surroundings when it is evaluated.
struct TextContext {
    const DataSource* source = nullptr;
    int row = -1;  // the detail row being printed; -1 outside the detail band
    int page = 0;  // 1-based
    int pages = 0;
};

// A text with its "{...}" placeholders compiled against a data source: fields by name or
// position with a format, page number and count, row number, row count and column sums.
class Expression {
public:
    // Compiles; an unknown field or a broken placeholder gives nothing and an error message.
    static std::optional<Expression> compile(const QString& text, const DataSource* source,
                                             QString* error);
    QString evaluate(const TextContext& context) const;
    bool constant() const { return constant_; }
    bool usesPageCount() const { return usesPages_; }

private:
    struct Part {
        enum class Kind { Literal, Field, Page, Pages, Line };
        Kind kind = Kind::Literal;
        QString text;  // Literal: the text; otherwise the format
        int field = -1;
        bool blankZero = false;
    };
    std::vector<Part> parts_;
    bool constant_ = true;
    bool usesPages_ = false;
};

// Formats a value: "#,##0.00" grouped amount and "0.00" plain amount (exact cents, whether the
// value is a number or an amount text), "0" whole number, a date pattern such as "yyyy-MM-dd",
// or, without a format, the value as it is (whole numbers without decimals).
QString formatValue(const QVariant& value, const QString& format, bool blankZero = false);

}  // namespace qb::report
