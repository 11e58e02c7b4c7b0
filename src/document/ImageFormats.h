#pragma once

// The image format table behind the Open and Save dialogs, and the lookups by format id
// and by file name. Format ids are the image library's (1 BMP ... 15 Sun raster); -1 is
// the "Supported files" row and 17 marks an AVI video in the name lookup.

#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace korvel::document {

struct ImageFormatRow {
    int id;
    bool open;
    bool save;
    const char* description;
    const char* patterns;
};

inline constexpr int kFormatAllSupported = -1;
inline constexpr int kFileTypeAvi = 17;

std::span<const ImageFormatRow> imageFormatTable();

// Description of a format id ("JPG files"), empty when the table has no such row.
QString formatDescription(int id);
// Pattern list of a format id ("*.jpg;*.jpeg"), empty when absent.
QString formatPatterns(int id);
// Whether the format can be saved; false when absent.
bool formatCanSave(int id);

// The format id of a file name by its ending, compared without regard to case: "jpeg",
// "tiff" and "wbmp" by the last four characters, the rest by the last three. No dot is
// needed. 17 for AVI, 0 when unknown.
int fileTypeFromName(const QString& name);

enum class FileDialogMode { Open, Save };

// What the image file dialog shows for a mode and a starting format id.
struct FileDialogSetup {
    QStringList filters;         // "BMP files (*.bmp)", one per row with the mode's flag
    std::vector<int> formatIds;  // the format id of each filter, same order
    int filterIndex = 1;         // 1-based position of the starting format, 1 when absent
    QString defaultExtension;    // "jpg" for "*.jpg;*.jpeg"; empty when the id is absent
};

// `formatId` 0 stands for BMP (1).
FileDialogSetup imageFileDialogSetup(FileDialogMode mode, int formatId);

}  // namespace korvel::document
