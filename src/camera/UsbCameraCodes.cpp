#include "camera/UsbCameraCodes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "camera/CameraRecord.h"
#include "krvcamera/KRVCamera.h"

namespace korvel::camera {

namespace {

constexpr std::string_view kVendor = "F0CA";

constexpr std::array<UsbCameraCode, 23> kCodes{{
    {"A001", kVendor, 1},
    {"A003", kVendor, 3},
    {"A004", kVendor, 4},
    {"A008", kVendor, 8},
    {"A00A", kVendor, 10},
    {"A00B", kVendor, 11},
    {"A00C", kVendor, 12},
    {"A00D", kVendor, 13},
    {"A00E", kVendor, 14},
    {"A010", kVendor, 16},
    {"A011", kVendor, 17},
    {"A012", kVendor, 18},
    {"A015", kVendor, 21},
    {"A017", kVendor, 23},
    {"A018", kVendor, 24},
    {"A019", kVendor, 25},
    {"A01A", kVendor, 26},
    {"A01B", kVendor, 27},
    {"A01C", kVendor, 28},
    // Later hardware revisions of the same models.
    {"B00D", kVendor, 13},
    {"B015", kVendor, 21},
    {"B017", kVendor, 23},
    {"B019", kVendor, 25},
}};

std::string upperCase(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// The (at most) four characters following `marker`, empty when the marker is absent.
std::string_view fieldAfter(std::string_view name, std::string_view marker) {
    const std::size_t at = name.find(marker);
    if (at == std::string_view::npos) {
        return {};
    }
    return name.substr(at + marker.size(), 4);
}

bool sameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

}  // namespace

std::span<const UsbCameraCode> usbCameraCodes() {
    return kCodes;
}

int typeIdFromDeviceInterfaceName(std::string_view deviceInterfaceName) {
    // Video4Linux2 cameras are one generic model whatever their USB ids.
    if (deviceInterfaceName.starts_with(KRVCAMERA_VIDEO_DEVICE_PREFIX)) {
        return KRVCAMERA_TYPE_VIDEO_DEVICE;
    }
    const std::string name = upperCase(deviceInterfaceName);
    const std::string_view vendor = fieldAfter(name, "VID_");
    const std::string_view product = fieldAfter(name, "PID_");
    for (const UsbCameraCode& code : kCodes) {
        if (sameText(code.productId, product) && sameText(code.vendorId, vendor)) {
            return code.typeId;
        }
    }
    return kNoCamera;
}

}  // namespace korvel::camera
