#pragma once

// What the application object shares with its main frame: the settings store and the one
// live copy of the application-wide settings. The text tool, the JPEG quality and the
// scale line live in the documents' context, where the documents read and change them;
// close writes what they hold then.

#include "app/AppSettings.h"
#include "document/DocumentContext.h"
#include "framework/RecentFileList.h"

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::app {

struct ApplicationState {
    explicit ApplicationState(platform::SettingsStore& settingsStore);

    platform::SettingsStore& store;
    // The default save folder: the folder the browser shows.
    QString savePath;
    // The last session ended maximised.
    int maximized = 0;
    document::DocumentContext documents;
    framework::RecentFileList recentFiles;

    // Reads every application setting from the store into the live state; a missing
    // save folder becomes `defaultSavePath`.
    void loadSettings(const QString& defaultSavePath);
    // The live state as the record close writes.
    AppSettings settings() const;
};

}  // namespace korvel::app
