// Fuzz entry point: the tif decoder.
#include "FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecode(data, size, KXIMAGE_FORMAT_TIF);
}
