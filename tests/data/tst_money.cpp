#include <gtest/gtest.h>

#include "money.h"

using namespace qb::money;

TEST(Money, TextAndGroupedForms) {
    EXPECT_EQ(text(0), "0.00");
    EXPECT_EQ(text(1250), "12.50");
    EXPECT_EQ(text(-5), "-0.05");
    EXPECT_EQ(grouped(123456789), "1,234,567.89");
    EXPECT_EQ(grouped(-100000), "-1,000.00");
    EXPECT_EQ(grouped(99999), "999.99");
}

TEST(Money, ParseAcceptsAtMostTwoDecimals) {
    EXPECT_EQ(parse("100"), 10000);
    EXPECT_EQ(parse(" 12.5 "), 1250);
    EXPECT_EQ(parse("-0.05"), -5);
    EXPECT_EQ(parse(".5"), 50);
    EXPECT_EQ(parse("1,234.56"), 123456);
    EXPECT_FALSE(parse("12.345"));
    EXPECT_FALSE(parse("abc"));
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("-"));
    EXPECT_FALSE(parse("1,23"));
}

TEST(Money, ThousandsOfCentLinesDoNotDrift) {
    // 0.10 added 10,000 times in double drifts; in cents it is exactly 1,000.00.
    Cents sum = 0;
    double drifting = 0;
    for (int i = 0; i < 10000; ++i) {
        sum += toCents(0.1);
        drifting += 0.1;
    }
    EXPECT_EQ(text(sum), "1000.00");
    EXPECT_NE(drifting, 1000.0);
    EXPECT_EQ(toCents(fromCents(sum)), sum);
}
