#pragma once
// A fresh directory under the system's temporary directory (or the base given), removed with everything in it at the end of
// the scope.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

class CTempDir {
public:
    explicit CTempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path())
    {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = base / ("quoteforge-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~CTempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The working directory is restored at the end of the scope (a run changes it).
class CKeepWorkingDirectory {
public:
    CKeepWorkingDirectory() : m_saved(std::filesystem::current_path()) {}
    ~CKeepWorkingDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_saved, ignored);
    }

private:
    std::filesystem::path m_saved;
};

// Whether directory lists an entry spelt exactly name (std::filesystem::exists ignores case where the
// file system does, as on Windows).
inline bool ListsEntry(const std::filesystem::path& directory, const std::string& name)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string() == name)
            return true;
    return false;
}

// A path's text as this platform compares paths: Windows ignores the case of names.
inline std::string PathKey(std::string text)
{
#ifdef _WIN32
    for (char& c : text)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
#endif
    return text;
}

inline std::vector<unsigned char> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry of a directory by name: a file's bytes, where a link points, or "(directory)"; to compare
// a directory before and after.
using DirectoryBytes = std::map<std::string, std::vector<unsigned char>>;

inline DirectoryBytes SnapshotOf(const std::filesystem::path& dir)
{
    DirectoryBytes files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::vector<unsigned char>& bytes = files[entry.path().filename().string()];
        if (entry.is_symlink()) {
            const std::string target = "-> " + std::filesystem::read_symlink(entry.path()).string();
            bytes.assign(target.begin(), target.end());
        } else if (entry.is_regular_file()) {
            bytes = ReadBytes(entry.path());
        } else {
            const std::string tag = "(directory)";
            bytes.assign(tag.begin(), tag.end());
        }
    }
    return files;
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Bytes as upper-case hexadecimal pairs separated by blanks ("00 00 80 3F"), for byte-exact comparisons
// whose failures can be read.
inline std::string Hex(const unsigned char* bytes, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0)
            text += ' ';
        text += "0123456789ABCDEF"[bytes[i] >> 4];
        text += "0123456789ABCDEF"[bytes[i] & 0xF];
    }
    return text;
}

template <class Bytes>
std::string Hex(const Bytes& bytes)
{
    return Hex(reinterpret_cast<const unsigned char*>(std::data(bytes)), std::size(bytes));
}
