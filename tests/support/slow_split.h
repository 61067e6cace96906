#pragma once
// The slow, obviously correct split of a delimited line, character by character, for the fast one to be
// compared with on random lines.

#include <string>
#include <string_view>
#include <vector>

struct SlowField {
    std::string text;
    bool bQuoted = false;
};

inline std::vector<SlowField> SlowSplit(std::string_view line, char delimiter)
{
    const auto blank = [&](char c) { return c == ' ' || c == '\r' || (c == '\t' && delimiter != '\t'); };
    const bool bBlankDelimiter = delimiter == ' ';
    std::vector<SlowField> fields;
    std::size_t i = 0;
    const std::size_t n = line.size();
    const auto skipBlanks = [&] {
        while (i < n && blank(line[i]))
            ++i;
    };
    if (n == 0)
        return fields;
    if (bBlankDelimiter) {
        skipBlanks();
        if (i == n)
            return fields;
    }
    for (;;) {
        skipBlanks();
        SlowField field;
        if (i < n && line[i] == '"') {
            field.bQuoted = true;
            for (++i; i < n; ++i) {
                if (line[i] == '"' && !(i + 1 < n && line[i + 1] == '"')) {
                    ++i;
                    break;
                }
                field.text += line[i];
                if (line[i] == '"')
                    ++i;  // a doubled quote is one
            }
            while (i < n && line[i] != delimiter)
                ++i;  // whatever follows the closing quote
        } else {
            while (i < n && line[i] != delimiter)
                field.text += line[i++];
            while (!field.text.empty() && blank(field.text.back()))
                field.text.pop_back();
        }
        fields.push_back(field);
        if (i >= n)
            return fields;
        ++i;
        if (bBlankDelimiter) {
            skipBlanks();
            if (i == n)
                return fields;
        } else if (i == n) {
            fields.push_back({});  // a delimiter at the end leaves an empty last field
            return fields;
        }
    }
}
