#pragma once

// Four-character codes as AVI headers hold them ("DIB ", "HFYU", "vids", ...).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::capture {

class FourCC {
public:
    constexpr FourCC() = default;
    constexpr FourCC(char a, char b, char c, char d) : chars_{a, b, c, d} {}
    // Exactly four characters make a code; any other length gives the empty code "\0\0\0\0".
    static constexpr FourCC fromString(std::string_view text) {
        if (text.size() != 4) {
            return FourCC{};
        }
        return FourCC{text[0], text[1], text[2], text[3]};
    }

    std::string toString() const { return std::string(chars_.data(), chars_.size()); }
    // The code as a little-endian 32-bit value, the way it is stored in the file.
    constexpr std::uint32_t value() const {
        return static_cast<std::uint8_t>(chars_[0]) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars_[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars_[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(chars_[3])) << 24;
    }

    friend constexpr bool operator==(const FourCC&, const FourCC&) = default;

private:
    std::array<char, 4> chars_{'\0', '\0', '\0', '\0'};
};

// Frames stored uncompressed: bottom-up 24-bit blue-green-red rows.
inline constexpr FourCC kUncompressedCode{'D', 'I', 'B', ' '};

}  // namespace korvel::capture
