#include "engine/directory/security_listing.h"

#include "engine/text/code_page.h"
#include "metastock/day_number.h"
#include "metastock/directory_reader.h"

namespace engine {

using namespace metastock;

namespace {

std::string IndexDate(int nYyyymmdd)
{
    return nYyyymmdd > 0 ? IsoDateText(nYyyymmdd) : std::string();
}

}  // namespace

bool ListSecurities(const std::filesystem::path& directory, std::vector<ListedSecurity>& securities, std::string& error,
                    IMessageSink& notices)
{
    DirectoryContents contents;
    if (!ReadDirectory(directory, contents, error))
        return false;
    for (const SecurityEntry& security : contents.securities) {
        const IndexEntry& entry = security.entry;
        ListedSecurity listed;
        listed.symbol = Windows1252ToUtf8(entry.symbol);
        listed.storedSymbol = entry.symbol;
        listed.name = Windows1252ToUtf8(entry.name);
        listed.dataFile = security.dataFile;
        listed.first = IndexDate(entry.firstDate);
        listed.last = IndexDate(entry.lastDate);
        if (entry.kind == IndexKind::kEmaster)
            listed.note = "only EMASTER lists it";
        SecurityData data;
        std::string dataError;
        if (ReadSecurityData(contents, security, data, dataError)) {
            listed.fields = data.layout.Letters();
            listed.frame = TimeFrameName(security, data.layout);
            listed.records = std::to_string(data.file.headerRecords);
        } else {
            listed.frame = TimeFrameName(security, DataLayout{});
            listed.note = listed.note.empty() ? "data file unreadable" : listed.note + "; data file unreadable";
            notices.ShowNotice(dataError);
        }
        securities.push_back(std::move(listed));
    }
    return true;
}

}  // namespace engine
