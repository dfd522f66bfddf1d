#include <gtest/gtest.h>

#include "capitals.h"
#include "errors.h"

using namespace qb;

TEST(Capitals, AmountsByTheSettlementRules) {
    const std::pair<const char*, const char*> cases[] = {
        // The official examples.
        {"1409.50", "人民币壹仟肆佰零玖元伍角"},
        {"6007.14", "人民币陆仟零柒元壹角肆分"},
        {"1680.32", "人民币壹仟陆佰捌拾元零叁角贰分"},
        {"107000.53", "人民币壹拾万柒仟元零伍角叁分"},
        {"16409.02", "人民币壹万陆仟肆佰零玖元零贰分"},
        {"325.04", "人民币叁佰贰拾伍元零肆分"},
        {"12345.67", "人民币壹万贰仟叁佰肆拾伍元陆角柒分"},
        // Leading 拾, 整 after 元 only, zeros at the edges of 万 and 亿.
        {"0.05", "人民币伍分"},
        {"0.50", "人民币伍角"},
        {"10.00", "人民币壹拾元整"},
        {"107000", "人民币壹拾万柒仟元整"},
        {"100000.10", "人民币壹拾万元零壹角"},
        {"100700", "人民币壹拾万零柒佰元整"},
        {"1007000", "人民币壹佰万柒仟元整"},
        {"100010000", "人民币壹亿零壹万元整"},
        {"100001000", "人民币壹亿零壹仟元整"},
        {"1000000000.00", "人民币壹拾亿元整"},
        {"210000000001.10", "人民币贰仟壹佰亿零壹元壹角"},
        {"999999999999.99", "人民币玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
    };
    for (const auto& [figures, words] : cases)
        EXPECT_EQ(capitals::amount(*money::parse(QString::fromUtf8(figures))),
                  QString::fromUtf8(words))
            << figures;
    EXPECT_EQ(capitals::amountOnForm(1000), "壹拾元整");
    EXPECT_THROW(capitals::amount(0), DbError);
    EXPECT_THROW(capitals::amount(-100), DbError);
    EXPECT_THROW(capitals::amount(money::kLimit + 1), DbError);
}

TEST(Capitals, DatesWithZeroAndOneBeforeWhatCouldBeLengthened) {
    const std::pair<QDate, const char*> cases[] = {
        {{2026, 1, 15}, "贰零贰陆年零壹月壹拾伍日"},
        {{2026, 10, 20}, "贰零贰陆年零壹拾月零贰拾日"},
        {{2026, 11, 19}, "贰零贰陆年壹拾壹月壹拾玖日"},
        {{2026, 12, 31}, "贰零贰陆年壹拾贰月叁拾壹日"},
        {{2026, 2, 10}, "贰零贰陆年零贰月零壹拾日"},
        {{2026, 3, 5}, "贰零贰陆年叁月零伍日"},
        {{2000, 9, 30}, "贰零零零年玖月零叁拾日"},
        {{2024, 8, 21}, "贰零贰肆年捌月贰拾壹日"},
    };
    for (const auto& [day, words] : cases)
        EXPECT_EQ(capitals::date(day), QString::fromUtf8(words)) << day.toString().toStdString();
    const capitals::DateParts parts = capitals::dateParts({2026, 1, 15});
    EXPECT_EQ(parts.year, "贰零贰陆");
    EXPECT_EQ(parts.month, "零壹");
    EXPECT_EQ(parts.day, "壹拾伍");
    EXPECT_THROW(capitals::date(QDate()), DbError);
}
