#pragma once

#include <QString>

namespace korvel::platform {

// The default save folder: the user's Pictures folder with a trailing '/'.
QString defaultSaveFolder();

// $XDG_CONFIG_HOME/Brenic, where the camera side keeps its shared files.
QString brenicConfigFolder();

// $XDG_CONFIG_HOME/Brenic/BRENIC.ini, the per-model first-use flags.
QString brenicIniPath();

// "/a/b/c.jpg" -> "/a/b/" (up to and including the last '/'; empty when there is none).
QString folderPart(const QString& path);

// "/a/b/c.jpg" -> "c.jpg" (after the last '/'; the whole text when there is none).
QString filePart(const QString& path);

// Appends a '/' unless the folder already ends with one.
QString withTrailingSlash(const QString& folder);

}  // namespace korvel::platform
