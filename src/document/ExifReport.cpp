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

const char* encodingName(int marker) {
    switch (marker) {
        case 192:
            return "Baseline\n";
        case 193:
            return "Extended sequential\n";
        case 194:
            return "Progressive\n";
        case 195:
            return "Lossless\n";
        case 197:
            return "Differential sequential\n";
        case 198:
            return "Differential progressive\n";
        case 199:
            return "Differential lossless\n";
        case 201:
            return "Extended sequential, arithmetic coding\n";
        case 202:
            return "Progressive, arithmetic coding\n";
        case 203:
            return "Lossless, arithmetic coding\n";
        case 205:
            return "Differential sequential, arithmetic coding\n";
        case 206:
            return "Differential progressive, arithmetic coding\n";
        case 207:
            return "Differential lossless, arithmetic coding\n";
        default:
            return "Unknown\n";
    }
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
    switch (e.Whitebalance) {
        case -1:  // the block does not carry it
        case 0:
            break;
        case 1:
            text += QStringLiteral("Whitebalance : sunny\n");
            break;
        case 2:
            text += QStringLiteral("Whitebalance : fluorescent\n");
            break;
        case 3:
            text += QStringLiteral("Whitebalance : incandescent\n");
            break;
        default:
            text += QStringLiteral("Whitebalance : cloudy\n");
            break;
    }
    switch (e.MeteringMode) {
        case 2:
            text += QStringLiteral("Metering Mode: center weight\n");
            break;
        case 3:
            text += QStringLiteral("Metering Mode: spot\n");
            break;
        case 5:
            text += QStringLiteral("Metering Mode: matrix\n");
            break;
        default:
            break;
    }
    switch (e.ExposureProgram) {
        case 2:
            text += QStringLiteral("Exposure     : program (auto)\n");
            break;
        case 3:
            text += QStringLiteral("Exposure     : aperture priority (semi-auto)\n");
            break;
        case 4:
            text += QStringLiteral("Exposure     : shutter priority (semi-auto)\n");
            break;
        default:
            break;
    }
    switch (e.CompressionLevel) {
        case 1:
            text += QStringLiteral("Jpeg Quality : basic\n");
            break;
        case 2:
            text += QStringLiteral("Jpeg Quality : normal\n");
            break;
        case 4:
            text += QStringLiteral("Jpeg Quality : fine\n");
            break;
        default:
            break;
    }
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
