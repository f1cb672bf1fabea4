#pragma once

#include <cstddef>
#include <iterator>
#include <string>

// The words a user reads and writes for the values of an enum, kept in one table beside the
// enum: `constexpr k_EnumWord<E> eWords[] = {...}` and `constexpr const auto& enumWords(E)
// { return eWords; }` (or any range of k_EnumWord<E>, e.g. one built from a registry).
// Options, summaries and help texts then take the words from there.
template <typename Enum> struct k_EnumWord {
    Enum value;
    const char* word;
};

/// The word of `value`; "" for a value the table lacks.
template <typename Enum> const char* wordOf(Enum value) {
    for (const k_EnumWord<Enum>& entry : enumWords(value)) {
        if (entry.value == value) {
            return entry.word;
        }
    }
    return "";
}

/// Sets `value` to the value named by `word` (exactly, case included); false when no entry
/// has that word, and `value` is left as it was.
template <typename Enum> bool valueOfWord(const std::string& word, Enum& value) {
    for (const k_EnumWord<Enum>& entry : enumWords(value)) {
        if (word == entry.word) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

/// Every word of the table in order, joined as a sentence: "a, b or c".
template <typename Enum> std::string wordChoices() {
    const auto& table = enumWords(Enum{});
    const std::size_t count = std::size(table);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += i + 1 == count ? " or " : ", ";
        }
        text += table[i].word;
    }
    return text;
}
