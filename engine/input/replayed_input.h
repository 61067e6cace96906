#pragma once
// An input read twice from one opening: what a first reading (detection of its layout) takes is kept, and
// after Rewind a second reading (the run) gets it again, followed by the rest of the input. A pipe or a
// FIFO thus serves both readings, and no byte is read from the system twice.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "metastock/file_system.h"

namespace engine {

class CReplayedInput : public metastock::IReadableFile {
public:
    explicit CReplayedInput(std::unique_ptr<metastock::IReadableFile> pFile) : m_pFile(std::move(pFile)) {}

    std::ptrdiff_t Read(void* buffer, std::size_t size) override;
    std::int64_t SizeHint() override { return m_pFile->SizeHint(); }

    // Reading starts again at the start of the input: what was read so far comes again, then the rest.
    void Rewind();
    // The first lines of what the first reading took, at most nLines, before the replay has passed them;
    // a last line that the reading cut off is left out.
    std::vector<std::string> KeptLines(int nLines) const;

private:
    std::unique_ptr<metastock::IReadableFile> m_pFile;
    std::string m_kept;     // read from the file before Rewind
    std::size_t m_nPos = 0;  // of the replay in m_kept
    bool m_bReplaying = false;
    bool m_bEnd = false;     // the first reading reached the end of the input
};

}  // namespace engine
