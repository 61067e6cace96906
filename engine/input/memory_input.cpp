#include "engine/input/memory_input.h"

#include <algorithm>
#include <cstring>

namespace engine {

std::ptrdiff_t CMemoryInput::Read(void* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, m_text.size() - m_nPos);
    std::memcpy(buffer, m_text.data() + m_nPos, count);
    m_nPos += count;
    return static_cast<std::ptrdiff_t>(count);
}

}  // namespace engine
