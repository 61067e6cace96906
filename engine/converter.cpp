#include "engine/converter.h"

#include <filesystem>

#include "engine/directory_commit.h"
#include "metastock/replacement_file.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

CConverter::CConverter(const CRunServices& services) : m_services(services) {}

CConverter::~CConverter() = default;

void CConverter::ShowMessage(const std::string& text)
{
    m_services.messages.ShowMessage(text);
}

std::string CConverter::OutputFile(std::string_view name) const
{
    return FindEntryIgnoringCase(PathFromText(m_szPath), name).string();
}

// The run changes the working directory, so a relative input path is made absolute first. The input is
// opened here once and read through this one handle, so a pipe or FIFO serves as input too.
int CConverter::CheckInput()
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromText(m_strInputPath), error);
    if (!error)
        m_strInputPath = TextFromPath(absolute);
    m_pInput.reset();
    if (!m_strInputPath.empty() && !std::filesystem::is_directory(PathFromText(m_strInputPath), error))
        m_pInput = CurrentFileSystem().OpenForReading(PathFromText(m_strInputPath));
    if (!m_pInput) {
        ShowMessage("Cannot open the input file\n" + m_strInputPath);
        return 1;
    }
    return 0;
}

int CConverter::CheckColumns()
{
    m_nFields = 0;
    for (int bOn : m_bFieldOn)
        if (bOn)
            ++m_nFields;
    if (m_nFields > 1)
        return 0;
    ShowMessage("You need to select more columns");
    return 1;
}

}  // namespace engine
