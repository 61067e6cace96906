// An update: rows later than a held security's last date (and time, for intraday bars) are appended to
// its data file, and the count, the header and the MASTER dates change in the run's one commit. The file
// must hold bars of the security's time frame.

#include <algorithm>
#include <string>

#include "engine/directory/directory_commit.h"
#include "engine/input/time_frame.h"
#include "engine/run/converter.h"
#include "metastock/day_number.h"
#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

int CConverter::PrepareUpdate()
{
    m_result.updated = false;
    if (!m_pCommit)
        return 1;
    const MasterRecord* held = nullptr;
    for (const MasterRecord& record : m_pCommit->Master().records)
        if (!IsDirectoryEntry(record) &&
            SameSymbol(IndexText(&record[master_offset::kSymbol], master_offset::kSymbolWidth), m_strStoredSymbol)) {
            held = &record;
            break;
        }
    // Beyond MASTER's 255, XMASTER lists securities whose data is in F<n>.MWD.
    SecurityEntry security;
    if (held) {
        security = {MasterEntry(*held), DataFileName(held->at(master_offset::kFileNumber)), 0};
    } else {
        const auto& wide = m_pCommit->Extras().xmaster.entries;
        const auto found = std::find_if(wide.begin(), wide.end(),
                                        [&](const IndexEntry& entry) { return SameSymbol(entry.symbol, m_strStoredSymbol); });
        if (found == wide.end())
            return 0;  // added as a conversion adds it
        security = {*found, IndexDataFile(*found), -1};
    }

    DirectoryContents contents;
    contents.directory = TextFromPath(m_directory);
    SecurityData data;
    std::string error;
    if (!ReadSecurityData(contents, security, data, error)) {
        ShowMessage(error);
        return 1;
    }
    // Rows with times, one a day (the last bar or two of a day), are bars of an intraday security; a few
    // rows without times may be the security's bars whatever their median gap says.
    const TimeFrame heldFrame = TimeFrameOf(security, data.layout);
    const bool bFrameFound = m_job.layout.frame == FrameChoice::kFromDates;
    if (heldFrame == TimeFrame::kIntraday && bFrameFound && TakeAsBars(m_rows)) {
        m_nRecordFields = m_rows.FieldCount();
        m_result.intervalMinutes = m_rows.intervalMinutes;
    }
    if (heldFrame != m_rows.frame && !(bFrameFound && RowsFitFrame(m_rows, heldFrame))) {
        ShowMessage(m_job.symbol + " is " + TimeFrameName(security, data.layout) + "; this file holds " +
                    TimeFrameWord(m_rows.frame) + " bars\nNothing was changed.");
        return 1;
    }
    m_result.frame = heldFrame;
    // The bars are those of the security: MASTER gives their interval, which a few new bars may not show.
    if (held && heldFrame == TimeFrame::kIntraday)
        m_result.intervalMinutes = ReadInt16(&(*held)[master_offset::kInterval]);
    DataLayout wanted;
    for (int field = 0; field < kFieldCount; ++field) {
        if (m_job.layout.fieldOn[field])
            wanted.columns.push_back(field);
        if (field == kDateField && heldFrame == TimeFrame::kIntraday)
            wanted.columns.push_back(kTimeColumn);
    }
    if (data.layout.columns != wanted.columns) {
        ShowMessage(m_job.symbol + " (" + security.dataFile + ") holds the fields " +
                    data.layout.Letters() + " but the options give " + wanted.Letters() + ".\nNothing was changed.");
        return 1;
    }

    // The data file is staged whole with a header as a conversion writes it, so that an update gives the
    // bytes a conversion of the whole history would give.
    const int fileNumber = security.entry.fileNumber;
    const DataFile& file = data.file;
    const int nHeld = file.headerRecords;
    m_result.heldRecords = nHeld;
    m_heldFirstDate = nHeld > 0 ? file.Value(0, 0) : MbfSingle{};
    m_fHeldLastDate = nHeld > 0 ? MbfToFloat(file.Value(static_cast<std::size_t>(nHeld) - 1, 0)) : 0.0f;
    const int timeColumn = data.layout.ColumnOf(kTimeColumn);
    m_nHeldFirstTime = nHeld > 0 && timeColumn >= 0 ? static_cast<int>(MbfToFloat(file.Value(0, timeColumn))) : -1;
    m_nHeldLastTime = nHeld > 0 && timeColumn >= 0
                          ? static_cast<int>(MbfToFloat(file.Value(static_cast<std::size_t>(nHeld) - 1, timeColumn)))
                          : -1;
    std::vector<std::uint8_t> bytes = NewDataFileHeader(m_nRecordFields);
    bytes.insert(bytes.end(), file.Record(0), file.Record(static_cast<std::size_t>(nHeld)));
    m_result.fileNumber = fileNumber;
    m_nDataFileNumber = fileNumber;
    m_result.updated = true;
    if (WriteSecurityFile(DataFileName(fileNumber), bytes.data(), bytes.size()) != 0)
        return 1;
    return data.fromColumnList ? 0 : CreateColumnList(fileNumber);
}

}  // namespace engine
