#include "app/ApplicationState.h"

#include "browser/CThumbnailList.h"

namespace korvel::app {

ApplicationState::ApplicationState(platform::SettingsStore& settingsStore) : store(settingsStore) {
    const AppSettings defaults;
    maximized = defaults.maximized;
    documents.jpegQuality = defaults.jpegQuality;
    documents.showScaleLine = defaults.showScaleLine;
    documents.textInfo = toTextInfo(defaults.text);
}

void ApplicationState::loadSettings(const QString& defaultSavePath) {
    const AppSettings loaded = AppSettings::load(store, defaultSavePath);
    savePath = loaded.savePath;
    maximized = loaded.maximized;
    documents.jpegQuality = loaded.jpegQuality;
    documents.showScaleLine = loaded.showScaleLine;
    documents.textInfo = toTextInfo(loaded.text);
}

QString ApplicationState::saveFolder() const {
    return thumbnails ? thumbnails->currentFolder() : savePath;
}

AppSettings ApplicationState::settings() const {
    AppSettings current;
    current.savePath = saveFolder();
    current.maximized = maximized;
    current.jpegQuality = documents.jpegQuality;
    current.showScaleLine = documents.showScaleLine;
    fromTextInfo(documents.textInfo, current.text);
    return current;
}

}  // namespace korvel::app
