#include "cli/csv.h"

#include <algorithm>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string at(std::size_t line, std::size_t column)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

char csvSeparator(std::string_view text)
{
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::size_t first = text.substr(0, end).find_first_of(",;");
    return first != std::string_view::npos && text[first] == ';' ? ';' : ',';
}

Result<std::vector<CsvRecord>> parseCsv(std::string_view text, char separator)
{
    using Records = std::vector<CsvRecord>;
    using Failure = Result<Records>;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    Records records;
    CsvRecord record;
    std::size_t line = 1;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        CsvField field{"", line, record.size() + 1};
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = text[i];
                if (c == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (c == '\n')
                    ++line;
                field.text += c;
                ++i;
            }
            if (!closed)
                return Failure::failure(at(field.line, field.column) + ": a quoted field is not closed");
            if (i < n && text[i] != separator && text[i] != '\n' && !(text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
                && !(text[i] == '\r' && i + 1 == n))
                return Failure::failure(at(line, field.column) + ": only a " + std::string(separator == ';' ? "semicolon" : "comma")
                                        + " or a line break may follow a closing quote");
        } else {
            while (i < n && text[i] != separator && text[i] != '\n') {
                if (text[i] == '"')
                    return Failure::failure(at(line, field.column) + ": a quote inside a field that is not quoted");
                if (text[i] == '\r' && (i + 1 == n || text[i + 1] == '\n'))
                    break;
                field.text += text[i];
                ++i;
            }
        }
        record.push_back(std::move(field));
        if (i < n && text[i] == separator) {
            ++i;
            if (i == n)
                record.push_back({"", line, record.size() + 1});  // a comma before the end opens one more field
            continue;
        }
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
        ++line;
        records.push_back(std::move(record));
        record.clear();
    }
    if (!record.empty())
        records.push_back(std::move(record));
    return records;
}

std::string csvField(std::string_view text)
{
    // a field that starts with a byte-order mark is quoted: as the first field
    // of a file, a reader would drop that mark as the file's own
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos
                       || (!text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t'
                                             || text.back() == '\t'))
                       || text.starts_with(kByteOrderMark);
    if (!quote)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}
