#pragma once
// Text folded for comparing words written in many ways: "Máximo", "MAXIMO" and "máx." fold alike.

#include <string>
#include <string_view>

namespace engine {

// The letters and digits of a text, in lower case and without accents, as UTF-8; punctuation, blanks and
// symbols dropped. The text is read as UTF-8 where it is valid UTF-8, else as Windows-1252. Letters of other
// scripts (Cyrillic in lower case, CJK and Hangul as they are) stay.
std::string FoldedText(std::string_view text);

}  // namespace engine
