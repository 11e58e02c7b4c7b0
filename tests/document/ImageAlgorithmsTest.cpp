// The steps behind the image-processing commands: the octree palette of Decrease Bpp,
// palette files, the EXIF report, the Filters kernels, the Ellipse transform and the
// dialog previews.

#include "DocumentFixture.h"

#include "document/ExifReport.h"
#include "document/ImageAlgorithms.h"
#include "document/PaletteFile.h"
#include "image/ops/KxImageOps.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>

#include <cmath>

using namespace korvel::res;

namespace {

constexpr RGBQUAD kBlue{255, 0, 0, 0};
constexpr RGBQUAD kGreen{0, 255, 0, 0};
constexpr RGBQUAD kRed{0, 0, 255, 0};
constexpr RGBQUAD kWhite{255, 255, 255, 0};

// Four colour bands of equal size: red, green, blue, white.
KxImage fourColours() {
    KxImage image(8, 8, 24);
    const RGBQUAD bands[] = {kRed, kGreen, kBlue, kWhite};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            image.SetPixelColor(x, y, bands[x / 2]);
        }
    }
    return image;
}

bool sameColour(RGBQUAD a, RGBQUAD b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

}  // namespace

TEST(OctreeQuantiser, KnownColoursComeOutInTreeOrderAndGroupBelowSixteen) {
    const KxImage image = fourColours();
    std::vector<RGBQUAD> palette;
    ASSERT_TRUE(kxops::OctreeQuantize(image, 16, 8, palette));
    // Child index 4 r + 2 g + b at the top bit: blue 1, green 2, red 4, white 7.
    ASSERT_EQ(palette.size(), 4u);
    EXPECT_TRUE(sameColour(palette[0], kBlue));
    EXPECT_TRUE(sameColour(palette[1], kGreen));
    EXPECT_TRUE(sameColour(palette[2], kRed));
    EXPECT_TRUE(sameColour(palette[3], kWhite));

    // Two entries from four leaves: the count-weighted averages of consecutive pairs.
    ASSERT_TRUE(kxops::OctreeQuantize(image, 2, 8, palette));
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_TRUE(sameColour(palette[0], RGBQUAD{127, 127, 0, 0}));
    EXPECT_TRUE(sameColour(palette[1], RGBQUAD{127, 127, 255, 0}));
}

TEST(DecreaseBpp, AnOptimisedPaletteKeepsFewColoursExact) {
    KxImage image = fourColours();
    ASSERT_TRUE(korvel::document::decreaseBpp(image, {4, 1, 0, 16, 0}));
    EXPECT_EQ(image.GetBpp(), 4);
    EXPECT_TRUE(sameColour(image.GetPixelColor(0, 0), kRed));
    EXPECT_TRUE(sameColour(image.GetPixelColor(3, 5), kGreen));
    EXPECT_TRUE(sameColour(image.GetPixelColor(5, 2), kBlue));
    EXPECT_TRUE(sameColour(image.GetPixelColor(7, 7), kWhite));
    EXPECT_FALSE(image.AlphaPaletteIsEnabled());

    KxImage standard = fourColours();
    ASSERT_TRUE(korvel::document::decreaseBpp(standard, {1, 0, 1, 2, 0}));
    EXPECT_EQ(standard.GetBpp(), 1);
}

// --- palette files -------------------------------------------------------------------------

TEST(PaletteFiles, RiffIsWrittenByteForByteAndReadsBack) {
    const std::vector<RGBQUAD> entries{{3, 2, 1, 4}, {30, 20, 10, 40}};
    const QByteArray riff = writeRiffPalette(entries);
    ASSERT_EQ(riff.size(), 24 + 8 + 4);
    EXPECT_EQ(riff.left(4), QByteArray("RIFF"));
    EXPECT_EQ(qFromLittleEndian<quint32>(riff.constData() + 4), 4u * 2 + 20);
    EXPECT_EQ(riff.mid(8, 8), QByteArray("PAL data"));
    EXPECT_EQ(qFromLittleEndian<quint32>(riff.constData() + 16), 4u * 2 + 8);
    EXPECT_EQ(qFromLittleEndian<quint16>(riff.constData() + 20), 768);
    EXPECT_EQ(qFromLittleEndian<quint16>(riff.constData() + 22), 2);
    EXPECT_EQ(riff.mid(24, 8), QByteArray("\x01\x02\x03\x04\x0a\x14\x1e\x28", 8));
    EXPECT_EQ(qFromLittleEndian<quint32>(riff.constData() + 32), 0u);

    const PaletteReadResult back = readPaletteFile(riff, 2);
    EXPECT_TRUE(back.loaded);
    EXPECT_TRUE(back.message.isEmpty());
    ASSERT_EQ(back.entries.size(), 2u);
    EXPECT_TRUE(sameColour(back.entries[1], entries[1]));
    EXPECT_EQ(back.entries[1].rgbReserved, 40);
}

TEST(PaletteFiles, JascTextIsReadWithBlanksOrLineBreaksBetweenNumbers) {
    const QByteArray jasc("JASC-PAL\r\n0100\r\n3\r\n255 0 0\r\n0 255\r\n0\r\n1 2 3\r\n");
    const PaletteReadResult r = readPaletteFile(jasc, 3);
    ASSERT_TRUE(r.loaded);
    EXPECT_TRUE(r.message.isEmpty());
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_TRUE(sameColour(r.entries[0], kRed));
    EXPECT_TRUE(sameColour(r.entries[1], kGreen));
    EXPECT_TRUE(sameColour(r.entries[2], RGBQUAD{3, 2, 1, 0}));
}

TEST(PaletteFiles, RefusalsAndWarningsUseTheirTexts) {
    EXPECT_EQ(readPaletteFile("JASC-PAL\n0100\n300\n", 256).message, "Too much colors!");
    EXPECT_FALSE(readPaletteFile("JASC-PAL\n0100\n300\n", 256).loaded);
    QByteArray riff = writeRiffPalette(std::vector<RGBQUAD>(4, kWhite));
    qToLittleEndian<quint16>(300, riff.data() + 22);
    EXPECT_EQ(readPaletteFile(riff, 256).message, "Too much colors!");
    EXPECT_TRUE(readPaletteFile(riff, 256).entries.empty());

    const PaletteReadResult fewer =
        readPaletteFile(writeRiffPalette(std::vector<RGBQUAD>(4, kRed)), 2);
    EXPECT_EQ(fewer.message, "Warning: numcolors doesn't match");
    EXPECT_TRUE(fewer.loaded);
    EXPECT_EQ(fewer.entries.size(), 2u);

    EXPECT_EQ(readPaletteFile("GIMP Palette\n", 16).message, "Unknown contents!");
    EXPECT_EQ(readPaletteFile("", 16).message, "Unknown contents!");
    EXPECT_FALSE(readPaletteFile("RIFF", 16).loaded);
}

TEST(PaletteFiles, ATruncatedOrLyingFileLoadsOnlyWhatItHolds) {
    // Claims 256 entries, holds 10 and a half.
    QByteArray riff = writeRiffPalette(std::vector<RGBQUAD>(10, kBlue));
    riff.chop(4);  // no closing zero
    riff.append("\x01\x02", 2);
    qToLittleEndian<quint16>(256, riff.data() + 22);
    const PaletteReadResult r = readPaletteFile(riff, 256);
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.entries.size(), 10u);

    const PaletteReadResult text = readPaletteFile("JASC-PAL\n0100\n16\n1 2 3\n4 5", 16);
    EXPECT_TRUE(text.loaded);
    EXPECT_EQ(text.entries.size(), 1u);
}

// --- EXIF report ---------------------------------------------------------------------------

namespace {

// A little-endian EXIF block: IFD0 with make, model, orientation and resolution, and an
// EXIF IFD with the exposure values.
class ExifBuilder {
public:
    struct Entry {
        quint16 tag;
        quint16 format;
        quint32 count;
        QByteArray value;  // inline when 4 bytes or less
    };
    static Entry ascii(quint16 tag, const char* text) {
        QByteArray v(text);
        v.append('\0');
        return {tag, 2, quint32(v.size()), v};
    }
    static Entry shortValue(quint16 tag, quint16 value) {
        QByteArray v(4, '\0');
        qToLittleEndian(value, v.data());
        return {tag, 3, 1, v};
    }
    static Entry rational(quint16 tag, quint32 num, quint32 den) {
        QByteArray v(8, '\0');
        qToLittleEndian(num, v.data());
        qToLittleEndian(den, v.data() + 4);
        return {tag, 5, 1, v};
    }
    static Entry undefined(quint16 tag, const QByteArray& bytes) {
        return {tag, 7, quint32(bytes.size()), bytes};
    }

    // The APP1 payload: "Exif\0\0" and the TIFF block.
    static QByteArray block(const std::vector<Entry>& ifd0, const std::vector<Entry>& exif) {
        QByteArray tiff("II*\0\x08\0\0\0", 8);
        const quint32 ifd0Size = 2 + 12 * quint32(ifd0.size() + 1) + 4;
        std::vector<Entry> first = ifd0;
        first.push_back({0x8769, 4, 1, QByteArray(4, '\0')});  // offset patched below
        QByteArray ifd0Bytes, ifd0Data;
        const quint32 ifd0DataStart = 8 + ifd0Size;
        writeIfd(first, ifd0DataStart, ifd0Bytes, ifd0Data);
        const quint32 exifStart = ifd0DataStart + quint32(ifd0Data.size());
        qToLittleEndian(exifStart, ifd0Bytes.data() + 2 + 12 * quint32(ifd0.size()) + 8);
        QByteArray exifBytes, exifData;
        writeIfd(exif, exifStart + 2 + 12 * quint32(exif.size()) + 4, exifBytes, exifData);
        return QByteArray("Exif\0\0", 6) + tiff + ifd0Bytes + ifd0Data + exifBytes + exifData;
    }

private:
    static void writeIfd(const std::vector<Entry>& entries, quint32 dataStart, QByteArray& ifd,
                         QByteArray& data) {
        ifd = QByteArray(2 + 12 * int(entries.size()) + 4, '\0');
        qToLittleEndian(quint16(entries.size()), ifd.data());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            char* e = ifd.data() + 2 + 12 * i;
            const Entry& entry = entries[i];
            qToLittleEndian(entry.tag, e);
            qToLittleEndian(entry.format, e + 2);
            qToLittleEndian(entry.count, e + 4);
            if (entry.value.size() <= 4) {
                std::memcpy(e + 8, entry.value.constData(), std::size_t(entry.value.size()));
            } else {
                qToLittleEndian(quint32(dataStart + data.size()), e + 8);
                data.append(entry.value);
                if (data.size() % 2) {
                    data.append('\0');
                }
            }
        }
    }
};

}  // namespace

TEST_F(DocumentFixture, TheExifReportOfAJpegWithAKnownBlock) {
    QProcess convert;
    convert.setWorkingDirectory(QDir::currentPath());
    convert.start(QStringLiteral("convert"),
                  {"-size", "16x8", "gradient:red-blue", "-strip", "plain.jpg"});
    ASSERT_TRUE(convert.waitForFinished(60000)) << "ImageMagick (imagemagick) is needed";
    ASSERT_EQ(convert.exitCode(), 0);
    QFile plain(path("plain.jpg"));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    const QByteArray jpeg = plain.readAll();

    using B = ExifBuilder;
    const QByteArray payload = B::block(
        {B::ascii(0x010F, "Korvel"), B::ascii(0x0110, "Test Cam"), B::shortValue(0x0112, 6),
         B::rational(0x011A, 72, 1), B::rational(0x011B, 72, 1), B::shortValue(0x0128, 2)},
        {B::rational(0x829A, 1, 125), B::rational(0x829D, 28, 10), B::shortValue(0x8827, 200),
         B::ascii(0x9003, "2026:01:02 03:04:05"), B::undefined(0x9000, "0230"),
         B::shortValue(0x9209, 1), B::rational(0x920A, 50, 1), B::shortValue(0x9207, 5),
         B::shortValue(0x8822, 2)});
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((payload.size() + 2) >> 8));
    app1.append(char((payload.size() + 2) & 0xFF));
    app1.append(payload);
    QFile tagged(path("tagged.JPG"));
    ASSERT_TRUE(tagged.open(QIODevice::WriteOnly));
    tagged.write(jpeg.left(2) + app1 + jpeg.mid(2));
    tagged.close();

    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(path("tagged.JPG")));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->exif.GetExifInfo().IsExif);
    EXPECT_EQ(exifReport(doc->exif.GetExifInfo()),
              QStringLiteral("Camera make  : Korvel\n"
                             "Camera model : Test Cam\n"
                             "Date/Time    : 2026:01:02 03:04:05\n"
                             "Exif version : 0230\n"
                             "Width x Height   : 16 x 8\n"
                             "X resolution (dpi) :  72.0\n"
                             "Y resolution (dpi) :  72.0\n"
                             "Orientation  : rotate 90\n"
                             "Flash used   : Yes\n"
                             "Focal length : 50.0mm\n"
                             "Exposure time: 0.008 s  (1/125)\n"
                             "Aperture     : f/2.8\n"
                             "ISO equiv.   : 200\n"
                             "Metering Mode: matrix\n"
                             "Exposure     : program (auto)\n"
                             "Encoding      : Baseline\n"));
}

TEST(ExifReport, ConditionalLinesAndTheirWording) {
    tag_ExifInfo e;
    e.Width = 4;
    e.Height = 3;
    e.IsColor = false;
    e.FlashUsed = 0;
    e.FocalLength = 7.0f;
    e.CCDWidth = 5.27f;
    e.ExposureTime = 2.0f;
    e.Distance = -1.0f;
    e.Brightness = 1.5f;
    e.ExposureBias = -0.5f;
    e.Whitebalance = 9;
    e.MeteringMode = 2;
    e.ExposureProgram = 4;
    e.CompressionLevel = 4;
    e.Process = 0xC2;
    e.Xresolution = 100;
    e.Yresolution = 0;  // both numbers are needed
    e.Comments = "first\r\nsecond\n";
    EXPECT_EQ(exifReport(e), QStringLiteral("Width x Height   : 4 x 3\n"
                                            "Color/bw     : Black and white\n"
                                            "Flash used   : No\n"
                                            "Focal length :  7.0mm  (35mm equivalent: 48mm)\n"
                                            "CCD width    : 5.27mm\n"
                                            "Exposure time: 2.000 s \n"
                                            "Brightness :  1.500\n"
                                            "Focus dist.  : Infinite\n"
                                            "Exposure bias:-0.50\n"
                                            "Whitebalance : cloudy\n"
                                            "Metering Mode: center weight\n"
                                            "Exposure     : shutter priority (semi-auto)\n"
                                            "Jpeg Quality : fine\n"
                                            "Encoding      : Progressive\n"
                                            "Comment      : first\nComment      : second\n"));
    tag_ExifInfo bare;
    bare.IsColor = true;
    bare.Process = 0xC9;
    EXPECT_EQ(exifReport(bare), QStringLiteral("Width x Height   : 0 x 0\n"
                                               "Encoding      : Extended sequential, arithmetic "
                                               "coding\n"));
    bare.Process = 0x12;
    bare.Distance = 1.25f;
    EXPECT_TRUE(exifReport(bare).endsWith("Focus dist.  : 1.25m\nEncoding      : Unknown\n"));
}

// --- filter kernels -------------------------------------------------------------------------

TEST(FilterKernels, EachFiltersCommandConvolvesWithItsKernel) {
    KxImage source(12, 10, 24);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            source.SetPixelColor(
                x, y,
                RGBQUAD{uint8_t((x * 37 + y * 11) % 256), uint8_t((x * x * 5 + y * 23) % 256),
                        uint8_t((x * 13 + y * y * 7) % 256), 0});
        }
    }
    ASSERT_EQ(filterKernels().size(), 7u);
    for (const FilterKernel& k : filterKernels()) {
        SCOPED_TRACE(k.command);
        KxImage filtered(source);
        ASSERT_TRUE(filtered.Filter(k.values.data(), k.size, k.divisor, k.offset));
        const int half = k.size / 2;
        const int divisor = k.divisor == 0 ? 1 : k.divisor;
        for (int y = half; y < 10 - half; ++y) {
            for (int x = half; x < 12 - half; ++x) {
                double sum[3] = {0, 0, 0};
                for (int r = 0; r < k.size; ++r) {
                    for (int c = 0; c < k.size; ++c) {
                        // Kernel rows run from the top: row 0 lies above (y counts upwards).
                        const RGBQUAD p = source.GetPixelColor(x + c - half, y + half - r);
                        const int w = k.values[std::size_t(r * k.size + c)];
                        sum[0] += w * p.rgbRed;
                        sum[1] += w * p.rgbGreen;
                        sum[2] += w * p.rgbBlue;
                    }
                }
                const RGBQUAD got = filtered.GetPixelColor(x, y);
                const int channels[3] = {got.rgbRed, got.rgbGreen, got.rgbBlue};
                for (int ch = 0; ch < 3; ++ch) {
                    const double expected =
                        std::clamp(std::round(sum[ch] / divisor) + k.offset, 0.0, 255.0);
                    ASSERT_NEAR(channels[ch], expected, 1.0) << x << "," << y << " ch " << ch;
                }
            }
        }
    }
}

// --- Ellipse transform, previews -------------------------------------------------------

TEST(EllipseTransform, KeepsSizeDepthAndAlphaAndTheCentre) {
    auto image = gradient(20, 10);
    image->AlphaCreate();
    image->AlphaSet(3, 3, 77);
    const RGBQUAD centre = image->GetPixelColor(10, 5);
    ASSERT_TRUE(ellipseTransform(*image));
    EXPECT_EQ(image->GetWidth(), 20u);
    EXPECT_EQ(image->GetHeight(), 10u);
    EXPECT_EQ(image->GetBpp(), 24);
    EXPECT_EQ(image->AlphaGet(3, 3), 77);
    EXPECT_TRUE(sameColour(image->GetPixelColor(10, 5), centre));
}

TEST(Previews, CopiesAreAtMostTwoHundredPixelsAndLeaveThePictureAlone) {
    auto image = gradient(500, 250);
    const RGBQUAD before = image->GetPixelColor(499, 249);
    const KxImage preview = previewCopy(*image);
    EXPECT_EQ(preview.GetWidth(), 200u);
    EXPECT_EQ(preview.GetHeight(), 100u);
    EXPECT_EQ(image->GetWidth(), 500u);
    EXPECT_TRUE(sameColour(image->GetPixelColor(499, 249), before));
    EXPECT_DOUBLE_EQ(previewScale(*image), 0.4);
    const KxImage small = previewCopy(*gradient(30, 20));
    EXPECT_EQ(small.GetWidth(), 30u);

    MixSettings s;
    s.operationPosition = 6;  // OpSrcCopy
    const KxImage mixed = mixPreview(*image, *gradient(100, 100, 255), s);
    EXPECT_EQ(mixed.GetWidth(), 200u);
    EXPECT_EQ(mixed.GetPixelColor(1, 1).rgbRed, 255);  // the source's tint
}
