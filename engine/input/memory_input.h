#pragma once
// Inputs held in memory: lines gathered from other files, read as one input file, and the head of an
// input kept as it is read, so that it can be looked at again without reading the input twice.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// Passes an input on and keeps its first kKept bytes.
class CHeadKeeper : public metastock::IReadableFile {
public:
    static constexpr std::size_t kKept = 256 * 1024;

    explicit CHeadKeeper(std::unique_ptr<metastock::IReadableFile> pFile) : m_pFile(std::move(pFile)) {}

    std::ptrdiff_t Read(void* buffer, std::size_t size) override;
    std::int64_t SizeHint() override { return m_pFile->SizeHint(); }

    // The first lines of what was read so far, at most nLines of them.
    std::vector<std::string> Lines(int nLines) const;

private:
    std::unique_ptr<metastock::IReadableFile> m_pFile;
    std::string m_head;
};

}  // namespace engine
