#pragma once
// What `quoteforge-cli convert` is asked to do, translated into the conversion settings that the desktop
// uses too, and checked against the same limits.

#include <string>
#include <utility>
#include <vector>

#include "engine/conversion_settings.h"

namespace engine {
struct DetectedLayout;
}

struct CConvertRequest {
    std::string strInput;
    std::string strDir;
    std::string strSymbol;
    std::string strName;
    std::string strDateFormat = "MMDDYY";
    std::string strDelimiter = "comma";
    int nSkip = 0;
    // Columns as given: a number from 1 to 20, or "off" for the fields that may be left out.
    std::string strDateCol = "1";
    std::string strOpenCol = "2";
    std::string strHighCol = "3";
    std::string strLowCol = "4";
    std::string strCloseCol = "5";
    std::string strVolumeCol = "6";
    std::string strOiCol = "7";
    std::string strMaster = "auto";
    bool bDecimalComma = false;
    bool bDaily = false;
    bool bSkipBadRows = false;
    bool bDetect = false;
    bool bUpdate = false;
    bool bNoSync = false;
};

// The input options (delimiter, date format, skip, columns) with the values of a detected layout, in
// the order `detect` prints them.
std::vector<std::pair<std::string, std::string>> LayoutOptions(const engine::DetectedLayout& layout);

// The options of LayoutOptions as one line that convert takes: "--delimiter comma --date-format ...".
std::string LayoutOptionsLine(const engine::DetectedLayout& layout);

// Sets one of the input options that LayoutOptions names.
void SetInputOption(CConvertRequest& request, const std::string& option, const std::string& value);

// Checks every limit and fills the settings and the date format's number: the symbol without trailing
// blanks and in upper case, "auto" as the directory's MASTER when there is one. On a violation returns
// false with a message that names the option and the limit.
bool ValidateRequest(const CConvertRequest& request, engine::ConversionSettings& settings, int& nDateFormat,
                     std::string& error);
