#pragma once

// Small INI files with the semantics the camera code has always relied on: section and key
// names compare without regard to case, integers are read as the leading decimal number of
// the value, and a missing file, section or key yields the caller's default. Writing one
// key keeps every other line of the file as it was.

#include <QString>

#include <optional>

namespace korvel::platform {

int getPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& path);

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& path);

// Sets `key` in `section` to `value`, creating the file, its folder and the section as
// needed; no value removes the key. The file is replaced atomically, so a failed write
// leaves the old file intact. Returns false when the file cannot be written.
bool writePrivateProfileString(const QString& section, const QString& key,
                               const std::optional<QString>& value, const QString& path);

// The leading decimal integer of `text` ("12abc" is 12, " -7" is -7, "abc" is 0),
// saturated to the range of int.
int parseLeadingInt(const QString& text);

}  // namespace korvel::platform
