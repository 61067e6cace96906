#include "engine/input/replayed_input.h"

#include <algorithm>
#include <cstring>

#include "engine/input/memory_input.h"
#include "engine/text/text_reader.h"

namespace engine {

std::ptrdiff_t CReplayedInput::Read(void* buffer, std::size_t size)
{
    if (m_bReplaying && m_nPos < m_kept.size()) {
        const std::size_t count = std::min(size, m_kept.size() - m_nPos);
        std::memcpy(buffer, m_kept.data() + m_nPos, count);
        m_nPos += count;
        if (m_nPos == m_kept.size())
            std::string().swap(m_kept);  // replayed whole: the rest comes from the file
        return static_cast<std::ptrdiff_t>(count);
    }
    const std::ptrdiff_t got = m_pFile->Read(buffer, size);
    if (!m_bReplaying && got > 0)
        m_kept.append(static_cast<const char*>(buffer), static_cast<std::size_t>(got));
    if (!m_bReplaying && got == 0)
        m_bEnd = true;
    return got;
}

std::vector<std::string> CReplayedInput::KeptLines(int nLines) const
{
    CMemoryInput kept(m_kept);
    CLineSource source(&kept);
    std::vector<std::string> lines;
    std::string_view line;
    while (static_cast<int>(lines.size()) < nLines && source.NextLine(line))
        lines.emplace_back(line);
    if (!m_bEnd && static_cast<int>(lines.size()) < nLines && !lines.empty() && !m_kept.empty() && m_kept.back() != '\n')
        lines.pop_back();  // cut off by the end of a read
    return lines;
}

void CReplayedInput::Rewind()
{
    m_bReplaying = true;
    m_nPos = 0;
}

}  // namespace engine
