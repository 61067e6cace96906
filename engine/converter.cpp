#include "engine/converter.h"

#include <filesystem>

#include "engine/directory_commit.h"
#include "metastock/file_names.h"
#include "metastock/path_text.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

CConverter::CConverter(const RunServices& services, ConversionJob job, std::shared_ptr<CDirectoryCommit> pGroup)
    : m_job(std::move(job)), m_services(services), m_pGroup(std::move(pGroup)), m_strInputPath(m_job.inputPath)
{
    // Settings that passed their checks hold only storable text; otherwise what converts goes in.
    StoredText(m_job, m_strStoredSymbol, m_strStoredName);
    m_result.symbol = m_job.symbol;
}

CConverter::~CConverter() = default;

void CConverter::ShowMessage(const std::string& text)
{
    m_services.messages.ShowMessage(text);
}

std::filesystem::path CConverter::OutputFile(std::string_view name) const
{
    return FindEntryIgnoringCase(m_directory, name);
}

// Messages name the input by its absolute path. The input is opened once and read through this one
// handle, so a pipe or FIFO serves as input too.
std::unique_ptr<IReadableFile> OpenInput(const std::string& path, IMessageSink& messages, std::string& absolutePath)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromText(path), error);
    absolutePath = error ? path : TextFromPath(absolute);
    std::unique_ptr<IReadableFile> input;
    if (!absolutePath.empty() && !std::filesystem::is_directory(PathFromText(absolutePath), error))
        input = CurrentFileSystem().OpenForReading(PathFromText(absolutePath));
    if (!input) {
        messages.ShowMessage("Cannot open the input file\n" + absolutePath);
        return nullptr;
    }
    return input;
}

int CConverter::CheckInput()
{
    m_pInput = OpenInput(m_job.inputPath, m_services.messages, m_strInputPath);
    return m_pInput ? 0 : 1;
}

int CConverter::CheckColumns()
{
    if (m_job.layout.FieldsOn() > 1)
        return 0;
    ShowMessage("You need to select more columns");
    return 1;
}

}  // namespace engine
