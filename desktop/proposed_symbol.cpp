#include "desktop/proposed_symbol.h"

#include "engine/job/conversion_settings.h"
#include "engine/run/batch.h"
#include "metastock/path_text.h"

namespace desktop {

std::string ProposedSymbol(const std::string& path, bool& cut)
{
    std::string stem = metastock::TextFromPath(metastock::PathFromText(path).stem());
    stem.erase(0, stem.find_first_not_of(" \t"));
    std::string symbol = engine::NormalisedSymbol(engine::FirstCharacters(engine::NormalisedSymbol(stem),
                                                                          engine::kMaxSymbolLength, cut));
    return symbol;
}

std::string ProposedSymbol(const std::string& path)
{
    bool cut = false;
    return ProposedSymbol(path, cut);
}

}  // namespace desktop
