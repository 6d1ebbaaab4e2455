#include "rom/entry_filter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// the words of the filter, blanks around and between them not counted
std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

// the value of a whole number in `base`; -1 when the text is not one
long numberIn(std::string_view text, int base)
{
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return -1;
    long value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && lower(c) >= 'a' && lower(c) <= 'f')
            digit = lower(c) - 'a' + 10;
        if (digit < 0 || digit >= base)
            return -1;
        value = value * base + digit;
    }
    return value;
}

bool containsAnyCase(std::string_view text, std::string_view word)
{
    if (word.size() > text.size())
        return false;
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < word.size() && lower(text[at + i]) == lower(word[i]))
            ++i;
        if (i == word.size())
            return true;
    }
    return false;
}

}  // namespace

bool entryFilterMatches(std::string_view filter, std::string_view text, int index)
{
    const std::vector<std::string_view> words = wordsOf(filter);
    if (words.empty())
        return true;
    if (words.size() == 1 && words[0][0] != '+' && words[0][0] != '-'
        && (numberIn(words[0], 10) == index || numberIn(words[0], 16) == index))
        return true;
    for (std::string_view word : words)
        if (!containsAnyCase(text, word))
            return false;
    return true;
}
