#pragma once
// Takes a security out of a MetaStock directory.

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/job/services.h"

namespace engine {

// Under the directory's lock: the security's record leaves the index that lists it (MASTER with
// EMASTER, EMASTER alone, or XMASTER), the count goes down, the old MASTER becomes MASTER.BAK, and the
// same commit deletes its data file and F<n>.DOP after the indexes, so that the file number is free for
// the next conversion. A security whose data file another listed one shares is refused. 0 with
// removedFile set to the data file's name, or 1 after a message.
int RemoveSecurity(const std::filesystem::path& directory, std::string_view symbol, IMessageSink& messages,
                   std::string& removedFile);

}  // namespace engine
