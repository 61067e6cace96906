#pragma once
// Phrases of the engine's messages that stand for an option of the run. The engine names no front end's
// control; a front end that wants its own name beside the phrase adds it where it shows the message (the
// command line adds its flag).

namespace engine {

inline constexpr char kCombineIntradayPhrase[] = "combine intraday bars into days";
inline constexpr char kUpdateDailyOnlyPhrase[] = "an update appends to daily data only";
inline constexpr char kSplitByDatesPhrase[] = "split it by date range";

}  // namespace engine
