#include "engine/text_reader.h"

#include <algorithm>
#include <cstring>

#include "metastock/path_text.h"

namespace engine {

CTextReader::~CTextReader()
{
    Close();
}

// The file is read through its own handle in large blocks, one call of the file system each, through
// the seam that tests can make fail; a pipe or a FIFO reads like a file.
bool CTextReader::Open(const std::string& path)
{
    Close();
    m_pFile = metastock::CurrentFileSystem().OpenForReading(metastock::PathFromText(path));
    m_bEnded = m_pFile == nullptr;
    m_bFailed = false;
    m_nPos = m_nEnd = 0;
    return m_pFile != nullptr;
}

void CTextReader::Close()
{
    m_pFile.reset();
    m_bEnded = true;
}

// Moves what is left to the front of the buffer and reads until the next piece lies whole in the buffer
// (a line feed read with it) or the input ends. A Ctrl-Z ends the input where it stands.
void CTextReader::Fill()
{
    const std::size_t left = m_nEnd - m_nPos;
    std::memmove(m_buffer, m_buffer + m_nPos, left);
    m_nPos = 0;
    m_nEnd = left;
    while (!m_bEnded && m_nEnd <= kMaxPiece) {
        char* const fresh = m_buffer + m_nEnd;
        const std::ptrdiff_t got = m_pFile->Read(fresh, kBufferSize - m_nEnd);
        const std::size_t count = got > 0 ? static_cast<std::size_t>(got) : 0;
        if (got < 0)
            m_bEnded = m_bFailed = true;
        else if (got == 0)
            m_bEnded = true;
        if (const auto* ctrlZ = static_cast<const char*>(std::memchr(fresh, kCtrlZ, count))) {
            m_nEnd += static_cast<std::size_t>(ctrlZ - fresh);
            m_bEnded = true;
        } else {
            m_nEnd += count;
        }
    }
}

// A piece is cut from a window of kMaxPiece + 1 characters: its last one may be the line feed of a CR LF
// pair whose CR is the piece's last character.
bool CTextReader::ReadLine(std::string_view& piece)
{
    if (m_nEnd - m_nPos <= kMaxPiece && !m_bEnded)
        Fill();
    if (m_bFailed || m_nPos == m_nEnd)
        return false;
    char* const start = m_buffer + m_nPos;
    const std::size_t window = std::min(m_nEnd - m_nPos, kMaxPiece + 1);
    auto* const lineFeed = static_cast<char*>(std::memchr(start, '\n', window));
    std::size_t length = lineFeed ? static_cast<std::size_t>(lineFeed - start) + 1 : window;
    if (lineFeed && length > 1 && lineFeed[-1] == '\r') {
        lineFeed[-1] = '\n';  // CR LF reads as one line feed
        piece = {start, length - 1};
    } else {
        length = std::min(length, kMaxPiece);
        piece = {start, length};
    }
    m_nPos += length;
    return true;
}

}  // namespace engine
