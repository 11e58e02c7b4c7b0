#pragma once

// What the application object shares with its main frame: the settings store, the
// settings read at start-up, and the state image documents read and write.

#include "app/AppSettings.h"
#include "document/DocumentContext.h"
#include "framework/RecentFileList.h"

namespace korvel::platform {
class SettingsStore;
}

namespace korvel::app {

struct ApplicationState {
    explicit ApplicationState(platform::SettingsStore& settingsStore) : store(settingsStore) {
        documents.textInfo = toTextInfo(settings.text);
    }

    platform::SettingsStore& store;
    AppSettings settings;
    document::DocumentContext documents;
    framework::RecentFileList recentFiles;
};

}  // namespace korvel::app
