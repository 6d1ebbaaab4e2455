#include "rom/command_words.h"

#include <optional>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// the characters a shell reads as syntax of its own when they stand unquoted
bool isShellSyntax(char c)
{
    switch (c) {
    case '|': case '&': case ';': case '<': case '>': case '(': case ')':
    case '$': case '`': case '*': case '?': case '[':
        return true;
    default:
        return false;
    }
}

std::string refusal(char c, std::size_t at)
{
    return std::string("the command holds an unquoted ") + c + " (character " + std::to_string(at + 1)
           + "), which a shell would read as its own syntax; the emulator is started without a shell: quote it "
             "('" + c + "') to pass it as it is";
}

}  // namespace

Result<std::vector<std::string>> splitCommandWords(std::string_view command)
{
    std::vector<std::string> words;
    std::optional<std::string> word;  // none between words
    std::size_t i = 0;
    while (i < command.size()) {
        const char c = command[i];
        if (isBlank(c)) {
            if (word)
                words.push_back(std::move(*word));
            word.reset();
            ++i;
            continue;
        }
        const bool atStart = !word.has_value();
        if (!word)
            word.emplace();
        if (c == '\'') {
            const std::size_t end = command.find('\'', i + 1);
            if (end == std::string_view::npos)
                return Result<std::vector<std::string>>::failure("the command has a single quote that is not closed");
            word->append(command.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '"') {
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= command.size())
                    return Result<std::vector<std::string>>::failure("the command has a double quote that is not closed");
                const char d = command[j];
                if (d == '"')
                    break;
                if (d == '\\' && j + 1 < command.size()) {
                    const char next = command[j + 1];
                    if (next == '\n') {
                        ++j;
                        continue;
                    }
                    if (next == '$' || next == '`' || next == '"' || next == '\\') {
                        word->push_back(next);
                        ++j;
                        continue;
                    }
                }
                // within double quotes a shell still expands these
                if (d == '$' || d == '`')
                    return Result<std::vector<std::string>>::failure(refusal(d, j));
                word->push_back(d);
            }
            i = j + 1;
        } else if (c == '\\') {
            if (i + 1 >= command.size())
                return Result<std::vector<std::string>>::failure("the command ends in a backslash that quotes nothing");
            if (command[i + 1] != '\n')
                word->push_back(command[i + 1]);
            else if (word->empty() && atStart)
                word.reset();  // a joined line starts no word of its own
            i += 2;
        } else {
            if (isShellSyntax(c) || (atStart && (c == '~' || c == '#')))
                return Result<std::vector<std::string>>::failure(refusal(c, i));
            word->push_back(c);
            ++i;
        }
    }
    if (word)
        words.push_back(std::move(*word));
    return words;
}
