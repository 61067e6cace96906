#include "engine/text_reader.h"

#include <algorithm>
#include <cstring>

#include "metastock/path_text.h"

namespace engine {

CTextReader::~CTextReader()
{
    Close();
}

bool CTextReader::Open(const std::string& path)
{
    Close();
    m_pFile = metastock::OpenFile(path, "rb");
    m_bEnded = m_pFile == nullptr;
    m_bFailed = false;
    m_nPos = m_nEnd = 0;
    return m_pFile != nullptr;
}

void CTextReader::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    m_bEnded = true;
}

bool CTextReader::Refill()
{
    if (m_bEnded)
        return false;
    m_nPos = 0;
    m_nEnd = std::fread(m_buffer, 1, sizeof m_buffer, m_pFile);
    if (m_nEnd == 0) {
        m_bEnded = true;
        m_bFailed = std::ferror(m_pFile) != 0;
    }
    return m_nEnd > 0;
}

int CTextReader::NextChar()
{
    if (m_nPos == m_nEnd && !Refill())
        return kEnd;
    const char c = m_buffer[m_nPos++];
    if (c == kCtrlZ) {
        m_bEnded = true;
        m_nPos = m_nEnd;
        return kEnd;
    }
    if (c == '\r' && (m_nPos < m_nEnd || Refill()) && m_buffer[m_nPos] == '\n') {
        ++m_nPos;
        return '\n';
    }
    return static_cast<unsigned char>(c);
}

bool CTextReader::ReadLine(std::string_view& piece)
{
    if (m_bFailed)
        return false;
    if (ReadWholeLineInBuffer(piece))
        return true;
    std::size_t length = 0;
    while (length < kMaxPiece) {
        // Plain characters are copied a run at a time; CR, Ctrl-Z and the buffer's end go one by one.
        while (length < kMaxPiece && m_nPos < m_nEnd) {
            const char c = m_buffer[m_nPos];
            if (c == '\r' || c == kCtrlZ)
                break;
            m_line[length++] = c;
            ++m_nPos;
            if (c == '\n') {
                piece = {m_line, length};
                return true;
            }
        }
        if (length == kMaxPiece)
            break;
        const int c = NextChar();
        if (c == kEnd)
            break;
        m_line[length++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    piece = {m_line, length};
    return length > 0 && !m_bFailed;
}

// Most lines lie whole in the buffer with no CR but the one of a CR LF end and no Ctrl-Z: they are
// handed out where they lie.
bool CTextReader::ReadWholeLineInBuffer(std::string_view& piece)
{
    char* start = m_buffer + m_nPos;
    const std::size_t window = std::min(m_nEnd - m_nPos, kMaxPiece);
    const auto* lineFeed = static_cast<char*>(std::memchr(start, '\n', window));
    if (!lineFeed)
        return false;
    const std::size_t length = static_cast<std::size_t>(lineFeed - start) + 1;
    if (std::memchr(start, kCtrlZ, length))
        return false;
    auto* carriageReturn = static_cast<char*>(std::memchr(start, '\r', length));
    if (carriageReturn && carriageReturn != lineFeed - 1)
        return false;
    m_nPos += length;
    if (carriageReturn) {
        *carriageReturn = '\n';  // CR LF reads as one line feed
        piece = {start, length - 1};
    } else {
        piece = {start, length};
    }
    return true;
}

std::string_view WithoutLineFeed(std::string_view piece)
{
    if (!piece.empty() && piece.back() == '\n')
        piece.remove_suffix(1);
    return piece;
}

}  // namespace engine
