#include "cli/input_options.h"

#include <CLI/CLI.hpp>

#include "cli/convert_request.h"

void AddInputOptions(CLI::App& command, CConvertRequest& request)
{
    command.add_option("--date-format", request.dateFormat,
                       "Layout of the dates: YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY, DD_MM_YY, DD_MM_CCYY, "
                       "YYMMDD, CCYYMMDD, MMDDYY, MMDDCCYY, DDMMYY, DDMMCCYY, DD_MMM_YY, DD_MMM_CCYY, MMM_DD_CCYY, "
                        "CCYY_MMM_DD (any case) or their number 1 to 16 "
                       "(default: MMDDYY)");
    command.add_option("--delimiter", request.delimiter, "What separates the columns (default: comma)")
        ->check(CLI::IsMember({"comma", "tab", "space", "semicolon"}));
    command.add_option("--skip", request.nSkip, "Leading lines to skip, 0 to 200 (default: 0)");
    command.add_option("--date-col", request.dateCol, "Column of the date, 1 to 20 (default: 1)");
    command.add_option("--open-col", request.openCol, "Column of the open price, 1 to 20, or off (default: 2)");
    command.add_option("--high-col", request.highCol, "Column of the high price, 1 to 20, or off (default: 3)");
    command.add_option("--low-col", request.lowCol, "Column of the low price, 1 to 20, or off (default: 4)");
    command.add_option("--close-col", request.closeCol, "Column of the close price, 1 to 20 (default: 5)");
    command.add_option("--volume-col", request.volumeCol, "Column of the volume, 1 to 20, or off (default: 6)");
    command.add_option("--oi-col", request.oiCol, "Column of the open interest, 1 to 20, or off (default: 7)");
    command.add_flag("--decimal-comma", request.bDecimalComma, "Numbers have a decimal comma (1,25); with a comma delimiter only inside quotes");
    command.add_flag("--daily", request.bDaily,
                      "Combine intraday bars into daily ones: open of the first, highest high, lowest low, close of "
                      "the last, volumes summed, open interest of the last");
    command.add_flag("--skip-bad-rows", request.bSkipBadRows,
                      "Convert the rows that can be read and list the others, instead of refusing the file");
}
