#pragma once
// Takes a security out of a MetaStock directory.

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/services.h"

namespace engine {

// Under the directory's lock: the security's record leaves MASTER (and EMASTER when that lists it), the
// count goes down, the old MASTER becomes MASTER.BAK, and after the commit F<n>.DAT and F<n>.DOP are
// deleted, so that the file number is free for the next conversion. 0 with removedFile set to the data
// file's name, or 1 after a message.
int RemoveSecurity(const std::filesystem::path& directory, std::string_view symbol, IMessageSink& messages,
                   std::string& removedFile);

}  // namespace engine
