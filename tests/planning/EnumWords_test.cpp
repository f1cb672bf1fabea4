// The words of the planning enums: every value has its own word and reads back from it, since
// options, summaries and help texts all take them from these tables.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerKind.h"

namespace {

template <typename Table> void expectRoundTrip(const Table& table) {
    std::set<std::string> seen;
    const std::size_t count = std::size(table);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& entry = table[i];
        EXPECT_TRUE(seen.insert(entry.word).second) << "word twice: " << entry.word;
        auto read = table[(i + 1) % count].value;
        ASSERT_TRUE(valueOfWord(entry.word, read)) << entry.word;
        EXPECT_EQ(read, entry.value) << entry.word;
        EXPECT_STREQ(wordOf(entry.value), entry.word);
    }
}

TEST(EnumWords, EveryValueHasItsOwnWordAndReadsBack) {
    expectRoundTrip(enumWords(k_PlannerKind{}));
    expectRoundTrip(searchStrategyWords);
    expectRoundTrip(budgetFallbackWords);
    EXPECT_STREQ(wordOf(k_PlannerKind::standard), "default");
}

TEST(EnumWords, AnUnknownWordLeavesTheValueAsItWas) {
    k_BudgetFallback fallback = k_BudgetFallback::keepPath;
    EXPECT_FALSE(valueOfWord("Keep", fallback)); // case counts
    EXPECT_FALSE(valueOfWord("", fallback));
    EXPECT_FALSE(valueOfWord("2", fallback)); // no numeric aliases
    EXPECT_EQ(fallback, k_BudgetFallback::keepPath);
}

TEST(EnumWords, ChoicesReadAsASentence) {
    EXPECT_EQ(wordChoices<k_PlannerKind>(), "default, visibility, orbit or rollout");
    EXPECT_EQ(wordChoices<k_BudgetFallback>(), "partial, straight or keep");
}

} // namespace
