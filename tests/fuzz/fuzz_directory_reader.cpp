// Arbitrary bytes as the files of a MetaStock directory, read by list's reader, check and export.
//
// Input: four 16-bit little-endian lengths, then that many bytes of MASTER, EMASTER, XMASTER and F1.DOP
// in turn; the rest is F1.DAT and F300.MWD. A part cut short by the end of the input is written as far as
// it goes, and a length of 0xFFFF leaves the file out.
// Besides the sanitizers: what the reader hands back stays inside the bytes it read, and check never
// changes a file.

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "engine/directory/directory_check.h"
#include "engine/directory/export.h"
#include "fuzz_support.h"
#include "metastock/directory_reader.h"
#include "metastock/replacement_file.h"

using namespace metastock;

namespace {

namespace fs = std::filesystem;

class CIgnoreMessages : public engine::IMessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    static const fs::path dir = ScratchDir() / "directory";
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    std::string_view rest(reinterpret_cast<const char*>(data) + 8, size - 8);
    const char* names[] = {"MASTER", "EMASTER", "XMASTER", "F1.DOP"};
    for (int i = 0; i < 4; ++i) {
        const std::size_t length = data[2 * i] | (data[2 * i + 1] << 8);
        if (length == 0xFFFF)
            continue;
        const std::string_view part = rest.substr(0, length);
        rest.remove_prefix(part.size());
        WriteFileBytes(dir / names[i], part);
    }
    WriteFileBytes(dir / "F1.DAT", rest);
    WriteFileBytes(dir / "F300.MWD", rest);

    DirectoryContents contents;
    std::string error;
    if (ReadDirectory(dir, contents, error)) {
        for (const SecurityEntry& security : contents.securities) {
            SecurityData securityData;
            if (!ReadSecurityData(contents, security, securityData, error))
                continue;
            const DataFile& file = securityData.file;
            FUZZ_CHECK(file.recordLength == 4 * static_cast<std::size_t>(securityData.layout.Fields()));
            FUZZ_CHECK((file.recordsPresent + 1) * file.recordLength <= file.bytes.size());
            FUZZ_CHECK(static_cast<std::size_t>(file.headerRecords) <= file.recordsPresent);
            std::ostringstream text;
            CIgnoreMessages messages;
            engine::ExportSecurity(dir, security.entry.symbol, {}, text, messages);
        }
        // The writers of EMASTER and XMASTER take whatever the directory holds and leave whole indexes
        // whose header counts their records.
        for (const SecurityEntry& security : contents.securities) {
            std::vector<std::uint8_t> emaster = contents.extras.emaster.bytes, xmaster = contents.extras.xmaster.bytes;
            RemoveEmasterRecord(emaster, security.entry.fileNumber);
            AppendEmasterRecord(emaster, {security.entry.fileNumber % 256, 7, security.entry.symbol,
                                          security.entry.name, 20240102, 20240103});
            RemoveXmasterRecord(xmaster, security.entry.fileNumber);
            AppendXmasterRecord(xmaster, {256 + security.entry.fileNumber % 1000, 7, security.entry.symbol,
                                          security.entry.name, 20240102, 20240103});
            IndexFile index;
            std::string problem;
            FUZZ_CHECK(ParseEmaster(emaster, index, problem) && index.count >= 0 &&
                       static_cast<std::size_t>(index.count) == index.wholeRecords);
            FUZZ_CHECK(ParseXmaster(xmaster, index, problem) && static_cast<std::size_t>(index.count) == index.wholeRecords);
        }
    }
    std::vector<std::uint8_t> before, after;
    ReadWholeFile(dir / "F1.DAT", before);
    engine::CheckDirectory(dir);
    ReadWholeFile(dir / "F1.DAT", after);
    FUZZ_CHECK(before == after);
    return 0;
}
