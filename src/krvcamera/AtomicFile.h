#pragma once

// Writing files so that readers see either the old file or the complete new one: the data
// goes to a temporary file beside the target, which replaces the target only when writing
// succeeded. A failed write leaves no temporary file behind.

#include <cstdio>
#include <filesystem>
#include <functional>

namespace krvcamera {

// Synced files reach the disk before they replace the target (small state that must survive
// a power cut, such as the parameter sets); picture files are only made whole, since a
// snapshot series cannot wait for the disk at every shot.
enum class Durability { Synced, Whole };

bool writeFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(std::FILE*)>& write,
                         Durability durability = Durability::Synced);

// For writers that open the file by name themselves; `write` gets the temporary file's path.
bool writeFileAtomicallyByPath(const std::filesystem::path& path,
                               const std::function<bool(const std::filesystem::path&)>& write,
                               Durability durability = Durability::Synced);

}  // namespace krvcamera
