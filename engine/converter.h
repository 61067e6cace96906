#pragma once
// One conversion run: everything the run needs to know, and the operations that add one security to a
// MetaStock directory from one input text file. Each operation that can refuse the run returns 0 for
// success and non-zero for failure, and shows its own message through the message sink first.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/services.h"
#include "metastock/data_file_format.h"
#include "metastock/mbf.h"

namespace metastock {
class CReplacementFile;
}  // namespace metastock

namespace engine {

class CDirectoryCommit;
class CTextReader;

class CConverter {
public:
    explicit CConverter(const CRunServices& services);
    virtual ~CConverter();
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    // The whole run: checks, new security, settings write-back, backup, conversion, commit. Nothing in the
    // output directory changes before the commit, which holds the directory's lock from the first look
    // at MASTER on; a run that fails before it leaves the directory as it was.
    int Run();

    int CheckInput();
    int CheckPath();
    int CheckColumns();
    int CheckDuplicate();
    int AddSymbol();
    int Convert();

    int CreateDataFile(std::uint8_t nFileNumber);
    int CreateColumnList(std::uint8_t nFileNumber);
    int AppendRecord(std::uint8_t nFileNumber);
    int UpdateRecordCount(int nRecords, std::uint8_t nFileNumber);
    int UpdateMasterDates(const metastock::MbfSingle& firstDate, const metastock::MbfSingle& lastDate, std::uint8_t nFileNumber);
    // Puts what the run staged in place: data files, MASTER.BAK, then the new MASTER.
    int Commit();

    // The run's settings, filled by its creator. Field index order everywhere: date, open, high, low,
    // close, volume, open interest (the Field enumeration).
    std::string m_strInputPath;
    int m_bUseExisting = 0;               // 1: add to the MASTER already there; 0: make a new one
    int m_bFieldOn[metastock::kFieldCount] = {};     // 1 when the field is read from the input
    int m_nFieldCol[metastock::kFieldCount] = {};    // its column among a line's tokens, 0 to 19
    char m_szPath[301] = "";              // output directory; its full form after CheckPath
    char m_szMaster[301] = "";            // full path of MASTER, set by CheckPath
    char m_szSymbol[17] = "";
    char m_szName[17] = "";
    char m_szDelimiter[4] = ",";
    metastock::MbfSingle m_record[metastock::kFieldCount] = {};  // the data record being built, as MBF bytes
    int m_nDateFormat = 1;                // 1 to 12; 0 when none was chosen (no date can be read)
    int m_bSkipOn = 0;
    int m_nSkipRows = 0;
    int m_nFields = 0;                    // enabled fields, from CheckColumns on
    int m_bSyncToDisk = 1;                // 0: no flushes to disk (scratch output); a power loss may then leave
                                          // new files incomplete although MASTER names them

    // What the run made, for its callers' reports.
    std::uint8_t m_nFileNumber = 0;       // n of F<n>.DAT, from AddSymbol on
    int m_nRecords = 0;                   // data records converted
    metastock::MbfSingle m_firstDate = {};           // date codes of the first and last record converted
    metastock::MbfSingle m_lastDate = {};

private:
    void ShowMessage(const std::string& text);
    std::string OutputFile(std::string_view name) const;
    int WriteSecurityFile(const std::string& name, const void* data, std::size_t size);
    int FlushDataFile();
    int ReportMissingRecords(std::uintmax_t nHeld, int nRecords);
    int BackUpMaster();
    void WriteBackSettings();

    CRunServices m_services;
    std::unique_ptr<CTextReader> m_pInput;       // opened once by CheckInput, read by Convert
    std::unique_ptr<CDirectoryCommit> m_pCommit;  // the directory's lock and what the run stages, from CheckPath on
    // The run's records go through one buffer into the replacement of F<n>.DAT, which the commit owns.
    metastock::CReplacementFile* m_pDataFile = nullptr;
    std::vector<std::uint8_t> m_dataBuffer;
    std::string m_strDataFile;
    std::uint8_t m_nDataFileNumber = 0;
    std::size_t m_nDataBytes = 0;         // of the replacement so far, the buffer included
};

// Copies text into a fixed job buffer, cutting it to fit.
template <std::size_t N>
void CopyText(char (&buffer)[N], std::string_view text)
{
    const std::size_t length = text.size() < N ? text.size() : N - 1;
    text.copy(buffer, length);
    buffer[length] = '\0';
}

}  // namespace engine
