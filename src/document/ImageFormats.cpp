#include "document/ImageFormats.h"

#include <array>

namespace korvel::document {

namespace {

constexpr std::array<ImageFormatRow, 16> kRows = {{
    {-1, true, true, "Supported files",
     "*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.ico;*.tif;*.tiff;*.tga;*.pcx;*.wbmp;*.wmf;*.emf;*.j2k;"
     "*.jp2;*.jbg;*.j2c;*.jpc;*.pgx;*.pnm;*.pgm;*.ppm;*.ras"},
    {1, true, true, "BMP files", "*.bmp"},
    {2, true, true, "GIF files", "*.gif"},
    {3, true, true, "JPG files", "*.jpg;*.jpeg"},
    {4, true, true, "PNG files", "*.png"},
    {5, true, true, "ICO CUR files", "*.ico;*.cur"},
    {6, true, true, "TIF files", "*.tif;*.tiff"},
    {7, true, true, "TGA files", "*.tga"},
    {8, true, true, "PCX files", "*.pcx"},
    {9, true, true, "WBMP files", "*.wbmp"},
    {10, true, false, "WMF EMF files", "*.wmf;*.emf"},
    {11, true, true, "JP2 files", "*.j2k;*.jp2"},
    {12, true, true, "JPC files", "*.j2c;*.jpc"},
    {13, true, true, "PGX files", "*.pgx"},
    {15, true, true, "RAS files", "*.ras"},
    {14, true, true, "PNM files", "*.pnm;*.pgm;*.ppm"},
}};

const ImageFormatRow* findRow(int id) {
    for (const ImageFormatRow& row : kRows) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

struct Ending {
    const char* text;
    int id;
};

constexpr Ending kLongEndings[] = {{"jpeg", 3}, {"tiff", 6}, {"wbmp", 9}};
constexpr Ending kShortEndings[] = {
    {"bmp", 1},  {"gif", 2},  {"jpg", 3},  {"png", 4},  {"ico", 5},
    {"tif", 6},  {"tga", 7},  {"pcx", 8},  {"wmf", 10}, {"emf", 10},
    {"j2k", 11}, {"jp2", 11}, {"j2c", 12}, {"jpc", 12}, {"pgx", 13},
    {"pnm", 14}, {"pgm", 14}, {"ppm", 14}, {"ras", 15}, {"avi", kFileTypeAvi},
};

}  // namespace

std::span<const ImageFormatRow> imageFormatTable() {
    return kRows;
}

QString formatDescription(int id) {
    const ImageFormatRow* row = findRow(id);
    return row ? QString::fromLatin1(row->description) : QString();
}

QString formatPatterns(int id) {
    const ImageFormatRow* row = findRow(id);
    return row ? QString::fromLatin1(row->patterns) : QString();
}

bool formatCanSave(int id) {
    const ImageFormatRow* row = findRow(id);
    return row && row->save;
}

int fileTypeFromName(const QString& name) {
    const QString lower = name.toLower();
    for (const Ending& ending : kLongEndings) {
        if (lower.endsWith(QLatin1String(ending.text))) {
            return ending.id;
        }
    }
    for (const Ending& ending : kShortEndings) {
        if (lower.endsWith(QLatin1String(ending.text))) {
            return ending.id;
        }
    }
    return 0;
}

FileDialogSetup imageFileDialogSetup(FileDialogMode mode, int formatId) {
    if (formatId == 0) {
        formatId = 1;
    }
    FileDialogSetup setup;
    for (const ImageFormatRow& row : kRows) {
        if (mode == FileDialogMode::Open ? !row.open : !row.save) {
            continue;
        }
        const QString patterns = QString::fromLatin1(row.patterns);
        setup.filters << QStringLiteral("%1 (%2)").arg(QLatin1String(row.description),
                                                       QString(patterns).replace(';', ' '));
        setup.formatIds.push_back(row.id);
        if (row.id == formatId) {
            setup.filterIndex = static_cast<int>(setup.formatIds.size());
        }
    }
    // Characters 3 to 5 of the pattern list: "*.jpg;*.jpeg" gives "jpg".
    setup.defaultExtension = formatPatterns(formatId).mid(2, 3);
    return setup;
}

}  // namespace korvel::document
