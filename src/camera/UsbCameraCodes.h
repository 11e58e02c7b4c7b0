#pragma once

// The USB code table and the parser that turns a device-interface name such as
// "\\?\USB#VID_F0CA&PID_A00D#0001#{...}" into a camera type id.

#include <span>
#include <string_view>

namespace korvel::camera {

struct UsbCameraCode {
    std::string_view productId;  // 4 upper-case hexadecimal digits
    std::string_view vendorId;   // 4 upper-case hexadecimal digits
    int typeId;
};

// The 23 known camera devices, in lookup order.
std::span<const UsbCameraCode> usbCameraCodes();

// Upper-cases the name, takes the 4 characters after "VID_" and after "PID_" and returns the
// type id of the first table entry matching both; -1 when none matches.
int typeIdFromDeviceInterfaceName(std::string_view deviceInterfaceName);

}  // namespace korvel::camera
