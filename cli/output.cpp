#include "cli/output.h"

#include <algorithm>
#include <cstdio>

#include "engine/text/code_page.h"
#include "engine/text/option_phrases.h"
#include "metastock/day_number.h"

namespace cli {

std::string OneLine(std::string_view text)
{
    std::string line(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return engine::EscapeControls(line);
}

std::string WithFlagNames(std::string text)
{
    static const struct {
        const char* phrase;
        const char* flag;
    } kFlags[] = {{engine::kCombineIntradayPhrase, "--daily"},
                  {engine::kUpdateDailyOnlyPhrase, "--update"},
                  {engine::kSplitByDatesPhrase, "--from, --to"}};
    for (const auto& flag : kFlags) {
        const std::string phrase = flag.phrase;
        const std::string named = std::string(" (") + flag.flag + ")";
        const std::size_t at = text.find(phrase);
        // A message that already names the flag keeps one.
        if (at != std::string::npos && text.compare(at + phrase.size(), named.size(), named) != 0)
            text.insert(at + phrase.size(), named);
    }
    return text;
}

void CErrorLineSink::ShowMessage(const std::string& text)
{
    m_err << OneLine(WithFlagNames(text)) << '\n';
}

void CErrorLineSink::ShowNotice(const std::string& text)
{
    m_err << OneLine(WithFlagNames(text)) << std::endl;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text)
        (quoted += c) += c == '"' ? "\"" : "";
    return quoted + "\"";
}

std::string JsonString(std::string_view text)
{
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            (literal += '\\') += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            literal += escaped;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

}  // namespace cli
