#pragma once
// Files that hold many securities: the column that names each row's security (its ticker), and the
// columns of its name and its period, found by their headings or, for the ticker, by its values: a text
// column whose values differ between two rows of the same date and time (two securities' bars).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/layout_detection.h"
#include "engine/job/conversion_job.h"
#include "metastock/file_system.h"

namespace engine {

struct TickerColumns {
    int ticker = -1;  // 0-based columns; -1 when the file has none
    int name = -1;
    int period = -1;
    int time = -1;  // a column its heading names the bars' times (<TIME>); each ticker's rows read it
    std::string heading;  // of the ticker column as the file has it; empty when it has none
    bool vendorHeading = false;  // the heading is the vendors' <TICKER>: the file's name is no symbol
    std::vector<std::string> tickers;  // the distinct tickers, in the order they first appear
    std::size_t count = 0;             // how many there are

    bool Found() const { return ticker >= 0; }
};

// The columns in a file's first lines, read with the layout's delimiter, heading rows (the last one holds
// the headings), date column and format; the columns that the layout reads as fields are never the
// ticker's. givenTicker and givenName (0-based, -1 for none) are taken as they are. tickers and count
// hold those of the lines read.
TickerColumns FindTickerColumns(const std::vector<std::string>& lines, const InputLayout& layout,
                                int givenTicker = -1, int givenName = -1);

// Reads the whole input and sets the distinct tickers and their count; false with the system's reason
// when the input cannot be read.
bool CountTickers(metastock::IReadableFile& input, const InputLayout& layout, TickerColumns& columns,
                  std::string& reason);

// The columns in the first lines of the regular file at absolutePath, and (when it has a ticker column)
// every ticker of the whole file, which is read again for them; false with the system's reason when the
// file cannot be read.
bool FindFileTickers(const std::string& absolutePath, const InputLayout& layout, int givenTicker, int givenName,
                     TickerColumns& columns, std::string& reason);

// The tickers for people: "AAA, BBBB, CC", past five "A, B, C, D, E and 1995 more".
std::string TickerList(const TickerColumns& columns);

// The layout that a detected file is read with, for finding its ticker column.
InputLayout DetectedInputLayout(const DetectedLayout& detected);

// The sentence that detection adds about the securities of a file: " It holds 3 securities, named in column
// 1 (Symbol): AAA, BB, C." or " The security is named in column 1 (Symbol): AAA."; empty without a ticker
// column.
std::string TickerSentence(const TickerColumns& columns);

// The ticker of a row's field as a symbol is made of it: the blanks around it removed.
std::string TickerOf(std::string_view field);

// The time frame that a period value stands for: D, W, M, I or a number of minutes; kFromDates for others.
FrameChoice FrameOfPeriod(std::string_view period);

}  // namespace engine
