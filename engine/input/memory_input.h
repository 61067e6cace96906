#pragma once
// An input held in memory: lines gathered from other files, read as one input file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "metastock/file_system.h"

namespace engine {

// Reads the bytes of a text from its start.
class CMemoryInput : public metastock::IReadableFile {
public:
    explicit CMemoryInput(std::string text) : m_text(std::move(text)) {}

    std::ptrdiff_t Read(void* buffer, std::size_t size) override;
    std::int64_t SizeHint() override { return static_cast<std::int64_t>(m_text.size()); }

private:
    std::string m_text;
    std::size_t m_nPos = 0;
};

}  // namespace engine
