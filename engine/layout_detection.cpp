#include "engine/layout_detection.h"

#include "engine/conversion_settings.h"
#include "engine/date_formats.h"

namespace engine {

std::uint16_t ReadDateStrictly(std::string_view token, int nDateFormat)
{
    return ParseDate(std::string(token).c_str(), static_cast<std::int16_t>(nDateFormat));
}

DetectedLayout DetectLayout(const std::string&)
{
    DetectedLayout layout;
    layout.strProblem = "layout detection is not available yet";
    return layout;
}

DetectedLayout DetectLayoutInLines(const std::vector<std::string>&)
{
    return DetectLayout({});
}

std::string DescribeLayout(const DetectedLayout& layout)
{
    return layout.strProblem;
}

void ApplyLayout(const DetectedLayout&, ConversionSettings&) {}

}  // namespace engine
