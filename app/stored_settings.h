#pragma once
// The conversion settings as stored in section "Setting"; a setting that is not stored takes its default.

#include "engine/conversion_settings.h"

namespace settings { class CProfileStore; }

namespace app {

engine::ConversionSettings LoadSettings(const settings::CProfileStore& profile);

}  // namespace app
