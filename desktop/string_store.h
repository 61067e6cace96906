#pragma once
// Where the desktop keeps what it remembers between runs: named sections of values, read and written
// one at a time. The Qt front end stores them with QSettings, a Windows one in the registry; tests keep
// them in a map. Texts are UTF-8.

#include <string>

namespace desktop {

class IStringStore {
public:
    virtual ~IStringStore() = default;
    virtual std::string ReadString(const std::string& section, const std::string& name,
                                   const std::string& fallback) const = 0;
    virtual void WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
    // A value that does not begin with a number reads as the fallback.
    virtual int ReadInt(const std::string& section, const std::string& name, int fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int value) = 0;
};

}  // namespace desktop
