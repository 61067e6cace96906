#pragma once
// Reads an input text file the way the converter and the preview see it, on every platform: a CR LF
// pair is one line end, a Ctrl-Z character ends the input, and lines come in pieces of at most 299
// characters, each piece counting as a line of its own.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "metastock/file_system.h"

namespace engine {

class CTextReader {
public:
    static constexpr std::size_t kMaxPiece = 299;

    CTextReader() = default;
    ~CTextReader();
    CTextReader(const CTextReader&) = delete;
    CTextReader& operator=(const CTextReader&) = delete;

    bool Open(const std::string& path);
    void Close();

    // The next piece of a line: the characters up to and including the next line feed, at most
    // kMaxPiece of them. False at the end of the input, and from a read error on. The view stays valid
    // until the next call.
    bool ReadLine(std::string_view& piece);

    // Whether reading the input failed.
    bool Failed() const { return m_bFailed; }

private:
    void Fill();

    static constexpr std::size_t kBufferSize = 64 * 1024;
    static constexpr char kCtrlZ = '\x1A';

    std::unique_ptr<metastock::IReadableFile> m_pFile;
    bool m_bEnded = true;  // nothing more comes from the file: its end, a Ctrl-Z or a read error
    bool m_bFailed = false;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
    char m_buffer[kBufferSize];
};

// Reads an input text file whole line by line, as the row reader sees it: a UTF-8 byte-order mark is
// skipped, UTF-16 with its byte-order mark is decoded into UTF-8, CR LF, LF and CR end a line,
// and a Ctrl-Z character ends the input. The file is read in large blocks through the file-system seam.
class CLineSource {
public:
    explicit CLineSource(metastock::IReadableFile* pFile);
    CLineSource(const CLineSource&) = delete;
    CLineSource& operator=(const CLineSource&) = delete;

    // The next line without its line end; false at the end of the input, and from a read error on. The
    // view stays valid until the next call. A line longer than kMaxLine comes as its first kMaxLine
    // characters, with LastLineCut set; the rest of it is passed over.
    bool NextLine(std::string_view& line);
    bool LastLineCut() const { return m_bCut; }
    bool Failed() const { return m_bFailed; }
    // With Failed: the system's reason ("Input/output error").
    const std::string& FailureReason() const { return m_strFailure; }

    static constexpr std::size_t kMaxLine = 1024 * 1024;

private:
    void Fill();
    void DecodeUtf16();
    void DecideLineEnd();
    std::ptrdiff_t ReadBlock(char* into, std::size_t size);

    std::string_view Text() const { return {m_buffer.data(), m_nEnd}; }

    static constexpr char kCtrlZ = '\x1A';
    static constexpr std::size_t kBlock = 64 * 1024;

    metastock::IReadableFile* m_pFile;  // not owned; nullptr reads as an empty input
    std::string m_buffer;  // the text read is its first m_nEnd characters
    std::size_t m_nEnd = 0;
    std::size_t m_nPos = 0;
    bool m_bEnded = false;
    bool m_bFailed = false;
    std::string m_strFailure;
    bool m_bStarted = false;
    bool m_bLineEndKnown = false;
    char m_lineEnd = '\n';  // or '\r' in a file without line feeds
    bool m_bCut = false;     // the last line came cut at kMaxLine
};

// Removes the line feed that ends a piece, if there is one.
inline std::string_view WithoutLineFeed(std::string_view piece)
{
    if (!piece.empty() && piece.back() == '\n')
        piece.remove_suffix(1);
    return piece;
}

}  // namespace engine
