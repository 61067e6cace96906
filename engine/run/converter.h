#pragma once
// One conversion run: the steps that add one security to a MetaStock directory from one input text file
// (or append to it, for an update), as the job describes. Each step that can refuse the run returns 0
// for success and non-zero for failure, and shows its own message through the message sink first.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/row_reading.h"
#include "engine/job/conversion_job.h"
#include "engine/job/services.h"
#include "metastock/file_system.h"
#include "metastock/mbf.h"

namespace metastock {
class CReplacementFile;
}  // namespace metastock

namespace engine {

class CDirectoryCommit;

// The records of an input read before its run: a batch reads files on worker threads while it stages others.
struct RecordsReadAhead {
    metastock::RecordBytes records;  // data records as the data file holds them
    int count = 0;
    metastock::MbfSingle firstDate = {};
    metastock::MbfSingle lastDate = {};
    int firstTime = -1;  // HHMMSS of the first and last intraday bar; -1 for other frames
    int lastTime = -1;
    int fields = 0;      // values per record, the date (and time) included
    metastock::TimeFrame frame = metastock::TimeFrame::kDaily;
    int intervalMinutes = 0;
    std::string rowNotes;
    std::string skippedRows;
};

// The path by which messages name the input: the absolute path of path, or path when it has none.
std::string AbsoluteInputPath(const std::string& path);

// Opens the input at its absolute path; nullptr with the system's reason.
std::unique_ptr<metastock::IReadableFile> OpenInputFile(const std::string& absolutePath, std::string& reason);

// Opens the input, named in messages (and in absolutePath) by its absolute path; nullptr after a message.
std::unique_ptr<metastock::IReadableFile> OpenInput(const std::string& path, IMessageSink& messages,
                                                   std::string& absolutePath);

// Reads and checks the job's input without converting it, so that a front end can ask before the run
// whether rows that cannot be read are to be skipped, and then hand the rows to the run, which reports
// them as it reports rows it reads itself. An input that cannot be opened reads as failed.
CheckedRows CheckJobRows(const ConversionJob& job);

// Why rows read for the job cannot be converted with its layout, which may refuse bad rows that the
// reading skipped: the message that the run shows, naming the input by its absolute path; empty when
// they can be converted. An input that gives no record at all is refused ("... holds no price rows").
std::string RowsProblem(const CheckedRows& rows, const ConversionJob& job);

// Reads and checks the job's input into memory: 0, or 1 after a message. Not for an update, whose rows
// depend on the directory.
int ReadAhead(const ConversionJob& job, IMessageSink& messages, RecordsReadAhead& ahead);
// The records of rows that passed their checks, taken out of them, with what the run reports of them.
RecordsReadAhead TakeRecordsReadAhead(CheckedRows& rows);

class CConverter {
public:
    // pGroup: a batch's commit, whose lock the batch holds and which the batch commits with the
    // securities of other runs; the run stages its security into it.
    CConverter(const RunServices& services, ConversionJob job, std::shared_ptr<CDirectoryCommit> pGroup = nullptr);
    virtual ~CConverter();
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    const ConversionJob& Job() const { return m_job; }

    // The whole run: checks, new security, settings write-back, backup, conversion, commit. Nothing in the
    // output directory changes before the commit, which holds the directory's lock from the first look
    // at MASTER on; a run that fails before it leaves the directory as it was.
    ConversionResult Run();

    // The run reads this input, open already, instead of opening its own.
    void UseInput(std::unique_ptr<metastock::IReadableFile> pInput);
    // The run takes these records instead of reading its input.
    void UseRecordsReadAhead(RecordsReadAhead ahead);
    // The run takes these rows, read with the job's layout (bad rows may have been skipped where the job
    // does not skip them), instead of reading its input: a failed reading fails the run with its message.
    void UseCheckedRows(CheckedRows rows);

    int CheckInput();
    int CheckPath();
    int CheckColumns();
    int CheckDuplicate();
    int AddSymbol();
    int AddToXmaster();
    int Convert();
    // The security's dates in MASTER (or XMASTER) and EMASTER, as staged for the commit; the times
    // (HHMMSS, -1 for none) of an intraday security's first and last bar.
    int UpdateIndexDates(const metastock::MbfSingle& firstDate, const metastock::MbfSingle& lastDate,
                         int nFileNumber, int nFirstTime = -1, int nLastTime = -1);
    // Puts what the run staged in place: data files, MASTER.BAK, then the new MASTER.
    int Commit();

private:
    void ShowMessage(const std::string& text);
    std::filesystem::path OutputFile(std::string_view name) const;
    int CreateDataFile(int nFileNumber);
    int CreateColumnList(int nFileNumber);
    int WriteSecurityFile(const std::string& name, const void* data, std::size_t size);
    int AppendRecords(const std::uint8_t* records, std::size_t size);
    int FlushDataFile();
    int UpdateRecordCount(int nRecords, int nFileNumber);
    int ReportMissingRecords(std::uintmax_t nHeld, int nRecords);
    // For an update of a security that the directory holds: stages its data file as it stands (and its
    // column list when it has none), so that Convert appends the rows after its last date. 0 with the
    // result not marked updated when the directory lacks the symbol; 1 after a message.
    int PrepareUpdate();
    // Whether MASTER's first or last date of the security being updated differs from its data file's.
    bool MasterDatesLag(int nFileNumber);
    int ReadRecords();
    int WriteRecords();
    int BackUpMaster();
    void WriteBackSettings();
    // What the commit says the run did ("The security XYZ was added to").
    std::string ChangeText() const;
    bool DoneByInterruptedRun();

    const ConversionJob m_job;
    RunServices m_services;
    std::shared_ptr<CDirectoryCommit> m_pGroup;
    std::string m_strStoredSymbol;   // symbol and name as MASTER stores them, in Windows-1252
    std::string m_strStoredName;
    std::string m_strInputPath;      // absolute
    std::filesystem::path m_directory;  // the output directory's full path, from CheckPath on
    std::unique_ptr<metastock::IReadableFile> m_pInput;  // opened once by CheckInput, read by ReadRecords
    std::shared_ptr<CDirectoryCommit> m_pCommit;  // the directory's lock and what the run stages, from CheckPath on
    // The replacement of F<n>.DAT, which the commit owns, and the records read ahead that follow its header.
    metastock::CReplacementFile* m_pDataFile = nullptr;
    metastock::RecordBytes m_dataBuffer;
    std::string m_strDataFile;
    int m_nDataFileNumber = 0;
    std::size_t m_nDataBytes = 0;         // of the replacement so far, the buffer included
    bool m_bRead = false;                 // the input's rows are read and checked
    bool m_bRowsGiven = false;            // m_rows came from UseCheckedRows, still to be checked
    bool m_bReadAhead = false;            // they are data records in m_dataBuffer already
    CheckedRows m_rows;                   // the checked rows, oldest first, until Convert writes them
    int m_nRecordFields = 0;              // values per record of the rows read, the date (and time) included
    float m_fHeldLastDate = 0;            // of an updated security: date code of its last record
    int m_nHeldLastTime = -1;             // and HHMMSS of its last bar, when it is intraday
    int m_nHeldFirstTime = -1;            // and of its first
    metastock::MbfSingle m_heldFirstDate = {};
    ConversionResult m_result;
};

}  // namespace engine
