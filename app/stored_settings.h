#pragma once
// The conversion settings as stored in section "Setting"; a setting that is not stored takes its default.

#include "engine/conversion_settings.h"

class CProfileStore;

engine::ConversionSettings LoadSettings(const CProfileStore& profile);
