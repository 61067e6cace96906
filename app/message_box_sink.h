#pragma once
// The engine's messages, shown as the desktop's modal message boxes with an OK button.

#include "engine/services.h"

class CMessageBoxSink : public engine::IMessageSink {
public:
    void ShowMessage(const std::string& text) override;
};
