#include "document/ExifReport.h"

#include <cmath>

namespace korvel::document {

namespace {

QString format(const char* pattern, auto... values) {
    return QString::asprintf(pattern, values...);
}

// The resolution unit as the EXIF standard numbers it, in inches: 2 inch (also the
// default when the tag is missing), 3 centimetre.
double unitInInches(float unit) {
    return static_cast<int>(unit) == 3 ? 1.0 / 2.54 : 1.0;
}

// A text for each known value of an EXIF field.
struct Named {
    int value;
    const char* text;
};

// The text `names` give `value`, else `fallback`; null means nothing to write.
template <std::size_t N>
const char* nameOf(int value, const Named (&names)[N], const char* fallback = nullptr) {
    for (const Named& name : names) {
        if (name.value == value) {
            return name.text;
        }
    }
    return fallback;
}

void appendLine(QString& text, const char* line) {
    if (line) {
        text += QLatin1String(line);
    }
}

const char* encodingName(int marker) {
    static constexpr Named kEncodings[] = {
        {192, "Baseline\n"},
        {193, "Extended sequential\n"},
        {194, "Progressive\n"},
        {195, "Lossless\n"},
        {197, "Differential sequential\n"},
        {198, "Differential progressive\n"},
        {199, "Differential lossless\n"},
        {201, "Extended sequential, arithmetic coding\n"},
        {202, "Progressive, arithmetic coding\n"},
        {203, "Lossless, arithmetic coding\n"},
        {205, "Differential sequential, arithmetic coding\n"},
        {206, "Differential progressive, arithmetic coding\n"},
        {207, "Differential lossless, arithmetic coding\n"},
    };
    return nameOf(marker, kEncodings, "Unknown\n");
}

}  // namespace

QString orientationName(int orientation) {
    static const char* const kNames[] = {"Undefined",  "Normal",        "flip horizontal",
                                         "rotate 180", "flip vertical", "transpose",
                                         "rotate 90",  "transverse",    "rotate 270"};
    return QString::fromLatin1(orientation >= 0 && orientation <= 8 ? kNames[orientation]
                                                                    : kNames[0]);
}

QString exifReport(const tag_ExifInfo& e) {
    QString text;
    if (!e.CameraMake.empty()) {
        text += format("Camera make  : %s\n", e.CameraMake.c_str());
        text += format("Camera model : %s\n", e.CameraModel.c_str());
    }
    if (!e.DateTime.empty()) {
        text += format("Date/Time    : %s\n", e.DateTime.c_str());
    }
    if (!e.Version.empty()) {
        text += format("Exif version : %s\n", e.Version.c_str());
    }
    text += format("Width x Height   : %d x %d\n", e.Width, e.Height);
    if (e.Xresolution != 0 && e.Yresolution != 0) {
        const double unit = unitInInches(e.ResolutionUnit);
        text += format("X resolution (dpi) : %5.1f\n", e.Xresolution / unit);
        text += format("Y resolution (dpi) : %5.1f\n", e.Yresolution / unit);
    }
    if (e.Orientation > 1) {
        text +=
            format("Orientation  : %s\n", orientationName(e.Orientation).toLatin1().constData());
    }
    if (!e.IsColor) {
        text += QStringLiteral("Color/bw     : Black and white\n");
    }
    if (e.FlashUsed >= 0) {
        text += format("Flash used   : %s\n", e.FlashUsed != 0 ? "Yes" : "No");
    }
    if (e.FocalLength != 0) {
        text += format("Focal length : %4.1fmm", double(e.FocalLength));
        if (e.CCDWidth != 0) {
            text += format("  (35mm equivalent: %dmm)",
                           int(std::lround(e.FocalLength * 36.0 / e.CCDWidth)));
        }
        text += QLatin1Char('\n');
    }
    if (e.CCDWidth != 0) {
        text += format("CCD width    : %4.2fmm\n", double(e.CCDWidth));
    }
    if (e.ExposureTime != 0) {
        text += format("Exposure time:%6.3f s ", double(e.ExposureTime));
        if (e.ExposureTime <= 0.5) {
            text += format(" (1/%d)", int(std::lround(1.0 / e.ExposureTime)));
        }
        text += QLatin1Char('\n');
    }
    if (e.Brightness != 0) {
        text += format("Brightness : %6.3f\n", double(e.Brightness));
    }
    if (e.ApertureFNumber != 0) {
        text += format("Aperture     : f/%3.1f\n", double(e.ApertureFNumber));
    }
    if (e.Distance != 0) {
        text += e.Distance < 0 ? QStringLiteral("Focus dist.  : Infinite\n")
                               : format("Focus dist.  : %4.2fm\n", double(e.Distance));
    }
    if (e.ISOequivalent != 0) {
        text += format("ISO equiv.   : %2d\n", e.ISOequivalent);
    }
    if (e.ExposureBias != 0) {
        text += format("Exposure bias:%4.2f\n", double(e.ExposureBias));
    }
    // -1: the block does not carry it; other unnamed values are read as cloudy.
    static constexpr Named kWhiteBalances[] = {
        {-1, nullptr},
        {0, nullptr},
        {1, "Whitebalance : sunny\n"},
        {2, "Whitebalance : fluorescent\n"},
        {3, "Whitebalance : incandescent\n"},
    };
    static constexpr Named kMeteringModes[] = {
        {2, "Metering Mode: center weight\n"},
        {3, "Metering Mode: spot\n"},
        {5, "Metering Mode: matrix\n"},
    };
    static constexpr Named kExposurePrograms[] = {
        {2, "Exposure     : program (auto)\n"},
        {3, "Exposure     : aperture priority (semi-auto)\n"},
        {4, "Exposure     : shutter priority (semi-auto)\n"},
    };
    static constexpr Named kCompressionLevels[] = {
        {1, "Jpeg Quality : basic\n"},
        {2, "Jpeg Quality : normal\n"},
        {4, "Jpeg Quality : fine\n"},
    };
    appendLine(text, nameOf(e.Whitebalance, kWhiteBalances, "Whitebalance : cloudy\n"));
    appendLine(text, nameOf(e.MeteringMode, kMeteringModes));
    appendLine(text, nameOf(e.ExposureProgram, kExposurePrograms));
    appendLine(text, nameOf(e.CompressionLevel, kCompressionLevels));
    text += QStringLiteral("Encoding      : ") + QString::fromLatin1(encodingName(e.Process));
    if (!e.Comments.empty()) {
        text += QStringLiteral("Comment      : ");
        const QString comment = QString::fromLatin1(e.Comments.c_str());
        for (qsizetype i = 0; i < comment.size(); ++i) {
            const QChar c = comment[i];
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                // A break followed by more text starts a new comment line.
                qsizetype next = i + 1;
                while (next < comment.size() &&
                       (comment[next] == QLatin1Char('\r') || comment[next] == QLatin1Char('\n'))) {
                    ++next;
                }
                if (next < comment.size()) {
                    text += QStringLiteral("\nComment      : ");
                }
                i = next - 1;
            } else {
                text += c;
            }
        }
        text += QLatin1Char('\n');
    }
    return text;
}

}  // namespace korvel::document
