#include "engine/input/memory_input.h"

#include <algorithm>
#include <cstring>

#include "engine/text/text_reader.h"

namespace engine {

std::ptrdiff_t CMemoryInput::Read(void* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, m_text.size() - m_nPos);
    std::memcpy(buffer, m_text.data() + m_nPos, count);
    m_nPos += count;
    return static_cast<std::ptrdiff_t>(count);
}

std::ptrdiff_t CHeadKeeper::Read(void* buffer, std::size_t size)
{
    const std::ptrdiff_t got = m_pFile->Read(buffer, size);
    if (got > 0 && m_head.size() < kKept)
        m_head.append(static_cast<const char*>(buffer), std::min(static_cast<std::size_t>(got), kKept - m_head.size()));
    return got;
}

std::vector<std::string> CHeadKeeper::Lines(int nLines) const
{
    CMemoryInput head(m_head);
    CLineSource source(&head);
    std::vector<std::string> lines;
    std::string_view line;
    while (static_cast<int>(lines.size()) < nLines && source.NextLine(line))
        lines.emplace_back(line);
    if (m_head.size() >= kKept && static_cast<int>(lines.size()) < nLines && !lines.empty())
        lines.pop_back();  // it may be cut
    return lines;
}

}  // namespace engine
