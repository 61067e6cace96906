#include "desktop/proposed_symbol.h"

#include "engine/job/conversion_settings.h"
#include "engine/run/batch.h"
#include "engine/text/trimmed_text.h"
#include "metastock/path_text.h"

namespace desktop {

std::string ProposedSymbol(const std::string& path, bool& cut)
{
    const std::string stem = engine::Trimmed(metastock::TextFromPath(metastock::PathFromText(path).stem()));
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
