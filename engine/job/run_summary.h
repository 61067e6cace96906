#pragma once
// The one line that reports what a run did with its security, as the command line prints it and the
// desktop logs it: "QFDEMO: F1.DAT, 1500 records, 2015-01-01 to 2020-09-30", with what was done with the
// rows in brackets. A security that is not daily says so: an intraday one gives the first and last time
// too ("2024-01-05 09:30 to 2024-01-08 16:00, 5-minute bars"), a weekly one ", weekly bars".

#include <cstdint>
#include <string>

#include "engine/job/conversion_job.h"

namespace engine {

std::string RunSummary(const ConversionResult& result);

// 4180313 as "4,180,313".
std::string WithThousands(std::int64_t value);

}  // namespace engine
