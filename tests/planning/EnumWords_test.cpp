// The words of the planning enums: every value has its own word and reads back from it, since
// options, summaries and help texts all take them from these tables.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "planning/InformationProvider.h"
#include "planning/MotionPlanner.h"
#include "planning/PlannerKind.h"

namespace {

template <typename Enum, std::size_t Count>
void expectRoundTrip(const k_EnumWord<Enum> (&table)[Count]) {
    std::set<std::string> seen;
    for (const k_EnumWord<Enum>& entry : table) {
        EXPECT_TRUE(seen.insert(entry.word).second) << "word twice: " << entry.word;
        Enum read = table[(&entry - table + 1) % Count].value;
        ASSERT_TRUE(valueOfWord(entry.word, read)) << entry.word;
        EXPECT_EQ(read, entry.value) << entry.word;
        EXPECT_STREQ(wordOf(entry.value), entry.word);
    }
}

TEST(EnumWords, EveryValueHasItsOwnWordAndReadsBack) {
    expectRoundTrip(plannerKindWords);
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
    EXPECT_EQ(wordChoices<k_PlannerKind>(), "default or visibility");
    EXPECT_EQ(wordChoices<k_BudgetFallback>(), "partial, straight or keep");
}

} // namespace
