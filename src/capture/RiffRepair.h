#pragma once

// Small in-place edits of a finished or broken AVI file's RIFF headers.

#include <cstdint>
#include <string>

namespace korvel::capture {

// Raises the first video stream header's suggested buffer size to at least `size`.
bool raiseSuggestedBufferSize(const std::string& path, std::uint32_t size);

// Cuts the file at `end` (the end of its last complete frame chunk) and sets the sizes of
// the last RIFF list and its frame list to match, and, for a file of one RIFF list, the
// frame counts of the main and stream headers. Readers then find every frame up to `end`
// by walking the frame list, without an index.
bool truncateToCompleteFrames(const std::string& path, std::int64_t end, std::uint32_t frames);

}  // namespace korvel::capture
