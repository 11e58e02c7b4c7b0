#pragma once

// What the application object shares with its main frame: the settings store and the one
// live copy of the application-wide settings. The text tool, the JPEG quality and the
// scale line live in the documents' context, where the documents read and change them;
// close writes what they hold then.

#include "app/AppSettings.h"
#include "document/DocumentContext.h"
#include "framework/RecentFileList.h"

#include <QPointer>

namespace korvel::platform {
class SettingsStore;
}
namespace korvel::browser {
class CThumbnailList;
}

namespace korvel::app {

struct ApplicationState {
    explicit ApplicationState(platform::SettingsStore& settingsStore);

    platform::SettingsStore& store;
    // The default save folder as read at start-up. Once the Start Page holds the thumbnail
    // list, the list's current folder is the default save folder; read it through
    // saveFolder().
    QString savePath;
    // The thumbnail list of the Start Page; its view owns it.
    QPointer<browser::CThumbnailList> thumbnails;
    // The last session ended maximised.
    int maximized = 0;
    document::DocumentContext documents;
    framework::RecentFileList recentFiles;

    // Reads every application setting from the store into the live state; a missing
    // save folder becomes `defaultSavePath`.
    void loadSettings(const QString& defaultSavePath);
    // The default save folder: the folder the thumbnail list shows, or the stored one
    // while there is no list.
    QString saveFolder() const;
    // The live state as the record close writes.
    AppSettings settings() const;
};

}  // namespace korvel::app
