#include "engine/text/text_reader.h"

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

namespace engine {

CLineSource::CLineSource(metastock::IReadableFile* pFile) : m_pFile(pFile)
{
    m_bEnded = m_pFile == nullptr;
}

// Keeps at least one whole line (or kMaxLine characters) ahead of m_nPos, unless the input ends first.
// The storage only grows: resizing a string to read into it would clear the block on every read.
void CLineSource::Fill()
{
    std::memmove(m_buffer.data(), m_buffer.data() + m_nPos, m_nEnd - m_nPos);
    m_nEnd -= m_nPos;
    m_nPos = 0;
    while (!m_bEnded) {
        const std::size_t old = m_nEnd;
        // One block, reused while the lines are shorter than it: it stays in the processor's cache.
        if (m_buffer.size() - m_nEnd < kBlock / 2)
            m_buffer.resize(std::max(2 * m_buffer.size(), m_nEnd + kBlock));
        const std::ptrdiff_t got = ReadBlock(m_buffer.data() + old, m_buffer.size() - old);
        m_nEnd += got > 0 ? static_cast<std::size_t>(got) : 0;
        if (!m_bStarted) {
            if (m_nEnd < 3 && !m_bEnded)
                continue;
            m_bStarted = true;
            if (Text().starts_with("\xEF\xBB\xBF")) {
                m_nPos = 3;
            } else if (Text().starts_with("\xFF\xFE") || Text().starts_with("\xFE\xFF")) {
                DecodeUtf16();
                DecideLineEnd();
                return;
            }
        }
        const std::size_t ctrlZ = Text().find(kCtrlZ, old);
        if (ctrlZ != std::string_view::npos) {
            m_nEnd = ctrlZ;
            m_bEnded = true;
        }
        // A file whose first block holds carriage returns but no line feed has CR line ends.
        if (!m_bLineEndKnown && (Text().find('\n') != std::string_view::npos || m_bEnded || m_nEnd >= kMaxLine))
            DecideLineEnd();
        if (Text().find(m_lineEnd, old) != std::string_view::npos || m_nEnd - m_nPos >= kMaxLine)
            return;
    }
}

// A failed read ends the input; its reason is taken at once, before another call can change it.
std::ptrdiff_t CLineSource::ReadBlock(char* into, std::size_t size)
{
    const std::ptrdiff_t got = m_pFile->Read(into, size);
    if (got <= 0)
        m_bEnded = true;
    if (got < 0) {
        m_bFailed = true;
        m_strFailure = metastock::LastFailureReason();
    }
    return got;
}

void CLineSource::DecideLineEnd()
{
    m_bLineEndKnown = true;
    m_lineEnd = Text().find('\n') == std::string_view::npos && Text().find('\r') != std::string_view::npos ? '\r' : '\n';
}

// UTF-16 input is rare and small; it is read whole and decoded into UTF-8 at once.
void CLineSource::DecodeUtf16()
{
    while (!m_bEnded) {
        if (m_buffer.size() - m_nEnd < kBlock)
            m_buffer.resize(std::max(2 * m_buffer.size(), m_nEnd + kBlock));
        const std::ptrdiff_t got = ReadBlock(m_buffer.data() + m_nEnd, m_buffer.size() - m_nEnd);
        m_nEnd += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    const bool bBigEndian = m_buffer[0] == '\xFE';
    std::string text;
    for (std::size_t i = 2; i + 1 < m_nEnd; i += 2) {
        const auto unit = [&](std::size_t at) {
            const auto a = static_cast<unsigned char>(m_buffer[at]);
            const auto b = static_cast<unsigned char>(m_buffer[at + 1]);
            return bBigEndian ? (a << 8 | b) : (b << 8 | a);
        };
        std::uint32_t code = static_cast<std::uint32_t>(unit(i));
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < m_nEnd) {
            const auto low = static_cast<std::uint32_t>(unit(i + 2));
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code == static_cast<std::uint32_t>(kCtrlZ))
            break;
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | code >> 6);
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | code >> 12);
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | code >> 18);
            text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    m_buffer = std::move(text);
    m_nEnd = m_buffer.size();
    m_nPos = 0;
}

// Lines end at the file's line-end character, found with memchr; in a file of LF line ends a CR
// before the LF belongs to the line end.
bool CLineSource::NextLine(std::string_view& line)
{
    // The rest of a line cut at kMaxLine is no line of its own: it is passed over up to its line end.
    while (m_bCut) {
        const std::size_t end = m_bLineEndKnown ? Text().find(m_lineEnd, m_nPos) : std::string_view::npos;
        if (end != std::string_view::npos) {
            m_nPos = end + 1;
            m_bCut = false;
        } else if (m_bEnded) {
            m_nPos = m_nEnd;
            m_bCut = false;
        } else {
            m_nPos = m_nEnd;
            Fill();
        }
    }
    std::size_t end = m_bLineEndKnown ? Text().find(m_lineEnd, m_nPos) : std::string_view::npos;
    if (end == std::string_view::npos && !m_bEnded) {
        Fill();
        end = Text().find(m_lineEnd, m_nPos);
    }
    if (m_bFailed || m_nPos >= m_nEnd)
        return false;
    if (end == std::string_view::npos) {
        end = std::min(m_nEnd, m_nPos + kMaxLine);
        m_bCut = end == m_nPos + kMaxLine && (end < m_nEnd || !m_bEnded);
    }
    line = Text().substr(m_nPos, end - m_nPos);
    if (m_lineEnd == '\n' && !line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_nPos = end < m_nEnd && !m_bCut ? end + 1 : end;
    return true;
}

}  // namespace engine
