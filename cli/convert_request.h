#pragma once
// What `quoteforge-cli convert` is asked to do, checked against the same limits as the desktop dialog.

#include <string>

#include "metastock/data_file_format.h"

namespace engine {
class CConverter;
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
    bool bNoSync = false;

    // Filled by ValidateRequest: each field's column from 1 to 20, 0 when it is off, and the date
    // format's number.
    int nColumns[metastock::kFieldCount] = {};
    int nDateFormat = 0;
};

// Checks every limit, reads the columns and the date format, and normalises the symbol (trailing
// blanks removed, upper case). On a violation returns false with a message that names the limit.
bool ValidateRequest(CConvertRequest& request, std::string& error);

// Fills a job from a request that ValidateRequest passed. "auto" uses the directory's MASTER when there is one.
void FillJob(const CConvertRequest& request, engine::CConverter& job);
