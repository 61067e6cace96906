#include "engine/run/converter.h"

#include <filesystem>
#include <system_error>

#include "engine/directory/directory_commit.h"
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

std::string AbsoluteInputPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromText(path), error);
    return error ? path : TextFromPath(absolute);
}

// The input is opened once and read through this one handle, so a pipe or FIFO serves as input too.
std::unique_ptr<IReadableFile> OpenInputFile(const std::string& absolutePath, std::string& reason)
{
    std::error_code error;
    if (std::filesystem::is_directory(PathFromText(absolutePath), error)) {
        reason = std::make_error_code(std::errc::is_a_directory).message();
        return nullptr;
    }
    std::unique_ptr<IReadableFile> input =
        absolutePath.empty() ? nullptr : CurrentFileSystem().OpenForReading(PathFromText(absolutePath));
    if (!input)
        reason = absolutePath.empty() ? std::make_error_code(std::errc::no_such_file_or_directory).message()
                                      : LastFailureReason();
    return input;
}

std::unique_ptr<IReadableFile> OpenInput(const std::string& path, IMessageSink& messages, std::string& absolutePath)
{
    absolutePath = AbsoluteInputPath(path);
    std::string reason;
    std::unique_ptr<IReadableFile> input = OpenInputFile(absolutePath, reason);
    if (!input)
        messages.ShowMessage("Cannot open the input file\n" + absolutePath + ": " + reason);
    return input;
}

void CConverter::UseInput(std::unique_ptr<IReadableFile> pInput)
{
    m_pInput = std::move(pInput);
    m_strInputPath = AbsoluteInputPath(m_job.inputPath);
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
