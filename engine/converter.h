#pragma once
// One conversion run: everything the run needs to know, and the operations that add one security to a
// MetaStock directory from one input text file. Each operation that can refuse the run returns 0 for
// success and non-zero for failure, and shows its own message through the message sink first.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/row_reading.h"
#include "engine/services.h"
#include "metastock/data_file_format.h"
#include "metastock/mbf.h"

namespace metastock {
class CReplacementFile;
}  // namespace metastock

namespace engine {

class CDirectoryCommit;

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
    // Whether MASTER's first or last date of the security being updated differs from its data file's.
    bool MasterDatesLag(std::uint8_t nFileNumber);
    // Reads the input's records into memory before the run, which then skips reading: a batch reads files
    // on worker threads while it stages others. 0, or 1 after a message.
    int ReadAhead();

    int CreateDataFile(std::uint8_t nFileNumber);
    int CreateColumnList(std::uint8_t nFileNumber);
    int AppendRecord(std::uint8_t nFileNumber);
    int UpdateRecordCount(int nRecords, std::uint8_t nFileNumber);
    int UpdateMasterDates(const metastock::MbfSingle& firstDate, const metastock::MbfSingle& lastDate, std::uint8_t nFileNumber);
    // For an update of a security that the directory holds: stages its data file as it stands (and its
    // column list when it has none), so that Convert appends the rows after its last date. 0 with
    // m_bUpdating unset when the directory lacks the symbol; 1 after a message.
    int PrepareUpdate();
    // EMASTER, when it lists the updated security, takes its new dates too.
    int UpdateExtendedIndex(const metastock::MbfSingle& firstDate, const metastock::MbfSingle& lastDate);
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
    int m_nDateFormat = 1;                // 1 to 16; 0 when none was chosen (no date can be read)
    bool m_bDecimalComma = false;         // numbers have a decimal comma
    bool m_bCombineIntraday = false;      // several bars of one day become one record
    bool m_bSkipBadRows = false;          // rows that cannot be read are left out and listed
    int m_bSkipOn = 0;
    int m_nSkipRows = 0;
    int m_nFields = 0;                    // enabled fields, from CheckColumns on
    int m_bUpdate = 0;                    // 1: append to the security when the directory holds it already
    // Set by a batch: the run stages its security into the batch's commit, whose lock the batch holds and
    // which the batch commits with the securities of other runs.
    std::shared_ptr<CDirectoryCommit> m_pGroup;
    int m_bSyncToDisk = 1;                // 0: no flushes to disk (scratch output); a power loss may then leave
                                          // new files incomplete although MASTER names them

    // What the run made, for its callers' reports.
    std::uint8_t m_nFileNumber = 0;       // n of F<n>.DAT, from AddSymbol on
    int m_bStaged = 0;                    // the security went whole into the commit (or the batch's group)
    int m_nRecords = 0;                   // data records converted
    bool m_bUpdating = false;             // from PrepareUpdate on: the security was there and is appended to
    int m_nHeldRecords = 0;               // records it held before
    float m_fHeldLastDate = 0;            // date code of its last record
    metastock::MbfSingle m_heldFirstDate = {};
    metastock::MbfSingle m_firstDate = {};           // date codes of the first and last record converted
    metastock::MbfSingle m_lastDate = {};
    std::string m_strRowNotes;            // what the summary says of the rows: skipped, sorted, combined
    std::string m_strSkippedRows;         // the rows left out as unreadable, with their lines and reasons

private:
    void ShowMessage(const std::string& text);
    std::string OutputFile(std::string_view name) const;
    int WriteSecurityFile(const std::string& name, const void* data, std::size_t size);
    int FlushDataFile();
    int ReportMissingRecords(std::uintmax_t nHeld, int nRecords);
    int ReadRecords();
    InputLayout Layout() const;
    int BackUpMaster();
    void WriteBackSettings();

    CRunServices m_services;
    std::unique_ptr<metastock::IReadableFile> m_pInput;  // opened once by CheckInput, read by ReadRecords
    std::shared_ptr<CDirectoryCommit> m_pCommit;  // the directory's lock and what the run stages, from CheckPath on
    // The run's records go through one buffer into the replacement of F<n>.DAT, which the commit owns.
    metastock::CReplacementFile* m_pDataFile = nullptr;
    std::vector<std::uint8_t> m_dataBuffer;
    std::string m_strDataFile;
    std::uint8_t m_nDataFileNumber = 0;
    std::size_t m_nDataBytes = 0;         // of the replacement so far, the buffer included
    bool m_bRead = false;                 // the input's records are read
    std::vector<RowRecord> m_rows;        // the input's rows, oldest first, once read
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
