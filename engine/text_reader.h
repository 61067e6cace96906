#pragma once
// Reads an input text file the way the converter and the preview see it, on every platform: a CR LF
// pair is one line end, a Ctrl-Z character ends the input, and lines come in pieces of at most 299
// characters, each piece counting as a line of its own.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

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
    // kMaxPiece of them. False at the end of the input. The view stays valid until the next call.
    bool ReadLine(std::string_view& piece);

    // True after a read error; ReadLine then returns false.
    bool Failed() const { return m_bFailed; }

private:
    bool ReadWholeLineInBuffer(std::string_view& piece);
    bool Refill();
    int NextChar();

    static constexpr int kEnd = -1;
    static constexpr char kCtrlZ = '\x1A';

    std::FILE* m_pFile = nullptr;
    bool m_bEnded = false;
    bool m_bFailed = false;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
    char m_buffer[64 * 1024];
    char m_line[kMaxPiece + 1];
};

// Removes the line feed that ends a piece, if there is one.
std::string_view WithoutLineFeed(std::string_view piece);

}  // namespace engine
