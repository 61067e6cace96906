#pragma once
// The run's write-back of "Path", "Symbol" and "Name" goes to the settings store.

#include <string>

#include "engine/job/services.h"

namespace dialogs {

class CProfileStore;

class CProfileSettingsWriter : public engine::ISettingsWriter {
public:
    explicit CProfileSettingsWriter(CProfileStore& store) : m_store(store) {}

    void WriteString(const std::string& section, const std::string& name, const std::string& value) override;

private:
    CProfileStore& m_store;
};

}  // namespace dialogs
