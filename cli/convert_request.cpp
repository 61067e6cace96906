#include "cli/convert_request.h"

#include <cctype>
#include <charconv>
#include <filesystem>

#include "engine/converter.h"
#include "engine/date_formats.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

using namespace metastock;
using namespace engine;

namespace {

constexpr int kMaxColumn = 20;
constexpr int kMaxSkip = 200;
constexpr std::size_t kMaxSymbol = 16;
constexpr std::size_t kMaxName = 16;
constexpr std::size_t kMaxDir = 200;

struct ColumnOption {
    const char* szOption;
    std::string CConvertRequest::*pValue;
    bool bMayBeOff;
};

// In the job's field order: date, open, high, low, close, volume, open interest.
constexpr ColumnOption kColumnOptions[kFieldCount] = {
    {"--date-col", &CConvertRequest::strDateCol, false},    {"--open-col", &CConvertRequest::strOpenCol, true},
    {"--high-col", &CConvertRequest::strHighCol, true},     {"--low-col", &CConvertRequest::strLowCol, true},
    {"--close-col", &CConvertRequest::strCloseCol, false},  {"--volume-col", &CConvertRequest::strVolumeCol, true},
    {"--oi-col", &CConvertRequest::strOiCol, true},
};

bool ParseWholeNumber(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// The column of a field from 1 to 20, or 0 when the field is off.
bool ReadColumn(const CConvertRequest& request, const ColumnOption& option, int& column, std::string& error)
{
    const std::string& text = request.*option.pValue;
    if (option.bMayBeOff && text == "off") {
        column = 0;
        return true;
    }
    if (ParseWholeNumber(text, column) && column >= 1 && column <= kMaxColumn)
        return true;
    error = std::string(option.szOption) + " must be a column from 1 to 20" + (option.bMayBeOff ? " or off" : "") +
            ", not \"" + text + "\"";
    return false;
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

bool ReadColumns(const CConvertRequest& request, int (&columns)[kFieldCount], std::string& error)
{
    for (int i = 0; i < kFieldCount; ++i)
        if (!ReadColumn(request, kColumnOptions[i], columns[i], error))
            return false;
    for (int i = 0; i < kFieldCount; ++i)
        for (int j = i + 1; j < kFieldCount; ++j)
            if (columns[i] != 0 && columns[i] == columns[j]) {
                error = std::string(kColumnOptions[i].szOption) + " and " + kColumnOptions[j].szOption +
                        " both name column " + std::to_string(columns[i]) +
                        "; the columns of the fields that are on must differ";
                return false;
            }
    return true;
}

bool HasMaster(const std::string& directory)
{
    std::error_code error;
    return std::filesystem::is_regular_file(FindEntryIgnoringCase(PathFromText(directory), "MASTER"), error);
}

}  // namespace

bool ValidateRequest(CConvertRequest& request, std::string& error)
{
    if (!ReadColumns(request, request.nColumns, error))
        return false;
    request.nDateFormat = DateFormatNumber(request.strDateFormat);
    if (request.nDateFormat == 0) {
        error = "--date-format must be one of the twelve format names (YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY, "
                "DD_MM_YY, DD_MM_CCYY, YYMMDD, CCYYMMDD, MMDDYY, MMDDCCYY, DDMMYY, DDMMCCYY) or a number from 1 to 12";
        return false;
    }
    if (request.nSkip < 0 || request.nSkip > kMaxSkip) {
        error = "--skip must be from 0 to 200 rows";
        return false;
    }
    request.strSymbol = TrimRight(request.strSymbol);
    for (char& c : request.strSymbol)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (request.strSymbol.empty() || request.strSymbol.size() > kMaxSymbol) {
        error = "--symbol must be 1 to 16 characters once trailing blanks are removed";
        return false;
    }
    if (request.strName.size() > kMaxName) {
        error = "--name must be at most 16 characters";
        return false;
    }
    if (TrimRight(request.strDir).empty() || request.strDir.size() > kMaxDir) {
        error = "--dir must be 1 to 200 characters";
        return false;
    }
    return true;
}

void FillJob(const CConvertRequest& request, CConverter& job)
{
    job.m_strInputPath = request.strInput;
    job.m_nDateFormat = request.nDateFormat;
    CopyText(job.m_szPath, request.strDir);
    CopyText(job.m_szSymbol, request.strSymbol);
    CopyText(job.m_szName, request.strName);
    CopyText(job.m_szDelimiter, request.strDelimiter == "tab" ? "\t" : request.strDelimiter == "space" ? " " : ",");
    job.m_bSyncToDisk = request.bNoSync ? 0 : 1;
    job.m_bSkipOn = request.nSkip > 0;
    job.m_nSkipRows = request.nSkip;
    job.m_bUseExisting = request.strMaster == "existing" || (request.strMaster == "auto" && HasMaster(request.strDir));
    for (int i = 0; i < kFieldCount; ++i) {
        const int column = request.nColumns[i];
        job.m_bFieldOn[i] = column != 0;
        job.m_nFieldCol[i] = column != 0 ? column - 1 : 0;
    }
}
