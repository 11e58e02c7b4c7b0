#include "platform/ProfileSettings.h"

#include <QSettings>

namespace korvel::platform {

ProfileSettings::ProfileSettings(const QString& applicationKey, const QString& companyKey)
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, companyKey,
                                            applicationKey)) {}

ProfileSettings::~ProfileSettings() {
    settings_->sync();
}

QString ProfileSettings::path(const QString& section, const QString& key) {
    return section + '/' + key;
}

int ProfileSettings::getProfileInt(const QString& section, const QString& key,
                                   int defaultValue) const {
    const QVariant value = settings_->value(path(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

QString ProfileSettings::getProfileString(const QString& section, const QString& key,
                                          const QString& defaultValue) const {
    const QVariant value = settings_->value(path(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

QByteArray ProfileSettings::getProfileBinary(const QString& section, const QString& key) const {
    return settings_->value(path(section, key)).toByteArray();
}

bool ProfileSettings::hasProfileValue(const QString& section, const QString& key) const {
    return settings_->contains(path(section, key));
}

void ProfileSettings::writeProfileInt(const QString& section, const QString& key, int value) {
    settings_->setValue(path(section, key), value);
}

void ProfileSettings::writeProfileString(const QString& section, const QString& key,
                                         const QString& value) {
    settings_->setValue(path(section, key), value);
}

void ProfileSettings::writeProfileBinary(const QString& section, const QString& key,
                                         const QByteArray& value) {
    settings_->setValue(path(section, key), value);
}

void ProfileSettings::flush() {
    settings_->sync();
}

QString ProfileSettings::fileName() const {
    return settings_->fileName();
}

}  // namespace korvel::platform
