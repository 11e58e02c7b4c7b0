#include "ParameterStore.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "AtomicFile.h"

namespace krvcamera {

namespace {

constexpr char kMagic[8] = {'K', 'R', 'V', 'P', 'A', 'R', 'A', 'M'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kEntryBytes = 4 + 4 + kParameterSets * (1 + 4 * kParameterCount);
constexpr std::size_t kMaxEntries = 4096;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::uint32_t getU32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

bool inRange(const ParameterValues& values) {
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRange range = parameterRange(static_cast<Parameter>(i));
        if (values.raw()[i] < range.minimum || values.raw()[i] > range.maximum) {
            return false;
        }
    }
    return true;
}

}  // namespace

ParameterStore::ParameterStore(std::filesystem::path path)
    : path_(path.empty() ? defaultPath() : std::move(path)) {
    load();
}

std::filesystem::path ParameterStore::defaultPath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = ".";
    }
    return base / "Brenic" / "KRVCamera.param";
}

std::optional<ParameterValues> ParameterStore::set(int typeId, int set) const {
    auto it = entries_.find(typeId);
    if (it == entries_.end() || set < 0 || set >= kParameterSets) {
        return std::nullopt;
    }
    return it->second.sets[static_cast<std::size_t>(set)];
}

int ParameterStore::currentSet(int typeId) const {
    auto it = entries_.find(typeId);
    return it == entries_.end() ? 0 : it->second.currentSet;
}

bool ParameterStore::save(int typeId, int set, const ParameterValues& values) {
    if (set < 0 || set >= kParameterSets) {
        return false;
    }
    Entry& entry = entries_[typeId];
    entry.sets[static_cast<std::size_t>(set)] = values;
    entry.currentSet = set;
    return write();
}

bool ParameterStore::setCurrentSet(int typeId, int set) {
    if (set < 0 || set >= kParameterSets) {
        return false;
    }
    entries_[typeId].currentSet = set;
    return write();
}

void ParameterStore::load() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        return;  // no sets stored yet
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    auto fail = [this](const char* why) {
        loadError_ = path_.string() + ": " + why + "; stored parameter sets ignored";
        std::fprintf(stderr, "krvcamera: %s\n", loadError_.c_str());
        entries_.clear();
    };
    constexpr std::size_t kHeader = sizeof kMagic + 4 + 4;
    if (bytes.size() < kHeader + 4 ||
        !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin())) {
        return fail("not a parameter file");
    }
    if (getU32(bytes.data() + 8) != kVersion) {
        return fail("unknown version");
    }
    const std::uint32_t count = getU32(bytes.data() + 12);
    if (count > kMaxEntries || bytes.size() != kHeader + count * kEntryBytes + 4) {
        return fail("truncated or wrong size");
    }
    if (crc32(bytes.data(), bytes.size() - 4) != getU32(bytes.data() + bytes.size() - 4)) {
        return fail("checksum mismatch");
    }
    const std::uint8_t* p = bytes.data() + kHeader;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto typeId = static_cast<std::int32_t>(getU32(p));
        Entry entry;
        entry.currentSet = static_cast<std::int32_t>(getU32(p + 4));
        p += 8;
        if (entry.currentSet < 0 || entry.currentSet >= kParameterSets) {
            return fail("parameter set number out of range");
        }
        for (auto& set : entry.sets) {
            const bool present = *p++ != 0;
            ParameterValues values;
            for (auto& v : values.raw()) {
                v = static_cast<std::int32_t>(getU32(p));
                p += 4;
            }
            if (present) {
                if (!inRange(values)) {
                    return fail("parameter value out of range");
                }
                set = values;
            }
        }
        entries_[typeId] = entry;
    }
}

bool ParameterStore::write() const {
    std::vector<std::uint8_t> bytes(std::begin(kMagic), std::end(kMagic));
    putU32(bytes, kVersion);
    putU32(bytes, static_cast<std::uint32_t>(entries_.size()));
    for (const auto& [typeId, entry] : entries_) {
        putU32(bytes, static_cast<std::uint32_t>(typeId));
        putU32(bytes, static_cast<std::uint32_t>(entry.currentSet));
        for (const auto& set : entry.sets) {
            bytes.push_back(set ? 1 : 0);
            const ParameterValues values = set.value_or(ParameterValues{});
            for (int v : values.raw()) {
                putU32(bytes, static_cast<std::uint32_t>(v));
            }
        }
    }
    putU32(bytes, crc32(bytes.data(), bytes.size()));

    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    return writeFileAtomically(path_, [&](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

}  // namespace krvcamera
