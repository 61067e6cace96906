#include "engine/text/trimmed_text.h"

namespace engine {

bool IsCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(std::string_view text)
{
    while (!text.empty() && IsCSpace(text.front()))
        text.remove_prefix(1);
    return TrimmedRight(text);
}

std::string TrimmedRight(std::string_view text)
{
    while (!text.empty() && IsCSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

}  // namespace engine
