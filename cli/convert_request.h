#pragma once
// What `quoteforge-cli convert` is asked to do, checked against the same limits as the desktop dialog.

#include <string>

class CConverter;

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
};

// Checks every limit and normalises the symbol (trailing blanks removed, upper case). On a violation
// returns false with a message that names the limit.
bool ValidateRequest(CConvertRequest& request, std::string& error);

// Fills a job from a valid request. "auto" uses the directory's MASTER when there is one.
void FillJob(const CConvertRequest& request, CConverter& job);
