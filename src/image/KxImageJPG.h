#pragma once

#include <string>

#include "image/KxImage.h"

// The EXIF values the information dialog shows. Texts are empty and numbers 0 (or -1
// where 0 is meaningful) when the block does not carry them.
struct tag_ExifInfo {
    std::string Version;
    std::string CameraMake;
    std::string CameraModel;
    std::string DateTime;
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t Orientation = 0;
    bool IsColor = false;
    int32_t Process = 0;  // SOF marker of the frame (0xC0 baseline, 0xC2 progressive)
    int32_t FlashUsed = -1;
    float FocalLength = 0;
    float ExposureTime = 0;
    float ApertureFNumber = 0;
    float Distance = 0;
    float CCDWidth = 0;
    float ExposureBias = 0;
    float Brightness = 0;
    int32_t Whitebalance = -1;
    int32_t MeteringMode = -1;
    int32_t ExposureProgram = -1;
    int32_t ISOequivalent = 0;
    int32_t CompressionLevel = 0;  // the camera's JPEG quality setting
    float FocalplaneXRes = 0;
    float FocalplaneYRes = 0;
    float FocalplaneUnits = 0;
    float Xresolution = 0;
    float Yresolution = 0;
    float ResolutionUnit = 0;
    std::string Comments;
    bool IsExif = false;
};

class KxImageJPG : public KxImage {
public:
    KxImageJPG() : KxImage(KXIMAGE_FORMAT_JPG) {}
    using KxImage::Decode;
    using KxImage::Encode;
    bool Decode(KxFile* hFile);
    bool Encode(KxFile* hFile);

    // Reads only the EXIF block (APP1) and the frame marker of a JPEG stream.
    bool DecodeExif(KxFile* hFile);
    const tag_ExifInfo& GetExifInfo() const { return m_exifinfo; }

    // Parses EXIF blocks; every read is checked against the block's length.
    class KxExifInfo {
    public:
        explicit KxExifInfo(tag_ExifInfo* info) : m_exifinfo(info) {}
        // Walks the markers of a JPEG stream up to the first scan.
        bool DecodeExif(KxFile* hFile);
        // `data` is an APP1 payload starting with "Exif\0\0".
        bool ProcessExif(const uint8_t* data, size_t length);
        const char* GetLastError() const { return m_szLastError; }

    private:
        bool ProcessIfd(const uint8_t* tiff, size_t length, uint32_t offset, int depth, bool intel);
        tag_ExifInfo* m_exifinfo;
        char m_szLastError[256] = "";
        float focalPlaneUnitsValue_ = 0;
        uint32_t exifImageWidth_ = 0;
    };

private:
    tag_ExifInfo m_exifinfo;
};
