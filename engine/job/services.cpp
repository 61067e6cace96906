#include "engine/job/services.h"

#include <ctime>

namespace engine {

std::string CSystemToday::TodayText()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[16] = "";
    if (local)
        std::strftime(text, sizeof text, "%m/%d/%y", local);
    return text;
}

}  // namespace engine
