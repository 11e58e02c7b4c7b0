// Fuzz entry point: the pgx decoder.
#include "FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecode(data, size, KXIMAGE_FORMAT_PGX);
}
