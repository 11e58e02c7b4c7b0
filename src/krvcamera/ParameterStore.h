#pragma once

// The camera's stored parameter sets 0..3, per camera type id, kept in
// $XDG_CONFIG_HOME/Brenic/KRVCamera.param (~/.config when XDG_CONFIG_HOME is unset) so that
// they survive a restart. A file that is corrupt, truncated or holds out-of-range values is
// ignored as a whole; the file is replaced atomically on every save.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "CameraParameters.h"

namespace krvcamera {

inline constexpr int kParameterSets = 4;

class ParameterStore {
public:
    // Reads `path` (or the default location when empty).
    explicit ParameterStore(std::filesystem::path path = {});

    static std::filesystem::path defaultPath();
    const std::filesystem::path& path() const { return path_; }
    // Why the file on disk was ignored, empty when it was read or absent.
    const std::string& loadError() const { return loadError_; }

    std::optional<ParameterValues> set(int typeId, int set) const;
    // The set last read or saved, 0 when none.
    int currentSet(int typeId) const;

    // Store and write through; false when the file cannot be written (memory keeps the values).
    bool save(int typeId, int set, const ParameterValues& values);
    bool setCurrentSet(int typeId, int set);

private:
    struct Entry {
        int currentSet = 0;
        std::array<std::optional<ParameterValues>, kParameterSets> sets;
    };

    void load();
    bool write() const;

    std::filesystem::path path_;
    std::string loadError_;
    std::map<int, Entry> entries_;
};

}  // namespace krvcamera
