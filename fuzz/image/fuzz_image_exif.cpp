// Fuzz entry point: the EXIF reader, both over a whole JPEG stream and over a bare block.
#include "image/KxImageJPG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KxImageJPG jpeg;
    KxMemFile file(data, size);
    jpeg.DecodeExif(&file);
    tag_ExifInfo info;
    KxImageJPG::KxExifInfo reader(&info);
    reader.ProcessExif(data, size);
    return 0;
}
