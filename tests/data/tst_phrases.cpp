#include <gtest/gtest.h>

#include "phrases.h"
#include "templedger.h"

TEST(Phrases, ASummaryIsLearnedTrimmedOnceAndOnlyWhenItSaysSomething) {
    TempLedger l;
    EXPECT_EQ(qb::phrases::learn(l.dat, "  报销差旅费 "), "报销差旅费");
    EXPECT_EQ(qb::phrases::learn(l.dat, "报销差旅费"), "");  // there already
    EXPECT_EQ(qb::phrases::learn(l.dat, "付"), "付");        // one Chinese character
    EXPECT_EQ(qb::phrases::learn(l.dat, " x "), "");         // one Latin letter is not enough
    EXPECT_EQ(qb::phrases::learn(l.dat, "ok"), "ok");
    EXPECT_EQ(qb::phrases::learn(l.dat, "O'Brien 50%"), "O'Brien 50%");
    // Texts the system keeps for its own rows are no phrases.
    EXPECT_EQ(qb::phrases::learn(l.dat, "月结转余额"), "");
    EXPECT_EQ(qb::phrases::learn(l.dat, "冲账[2024-05-10 收款]"), "");
    EXPECT_EQ(qb::phrases::all(l.dat), (QStringList{"O'Brien 50%", "ok", "付", "报销差旅费"}));
}
