#pragma once

// The per-user settings store: values live under company key, application key, section and
// key, and are read with a default and written back as integers, strings or byte blocks.
// On Linux the store is an INI file under $XDG_CONFIG_HOME/<company>/<application>.ini.

#include "platform/SettingsStore.h"

#include <memory>

class QSettings;

namespace korvel::platform {

inline constexpr const char* kCompanyKey = "Brenic Imaging (brenic.example)";

class ProfileSettings : public SettingsStore {
public:
    // The application key is the application title string ("Korvel 7.1.1.2 eng").
    explicit ProfileSettings(const QString& applicationKey,
                             const QString& companyKey = QString::fromLatin1(kCompanyKey));
    ~ProfileSettings() override;
    ProfileSettings(const ProfileSettings&) = delete;
    ProfileSettings& operator=(const ProfileSettings&) = delete;

    int getProfileInt(const QString& section, const QString& key, int defaultValue) const override;
    QString getProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = {}) const override;
    QByteArray getProfileBinary(const QString& section, const QString& key) const override;
    bool hasProfileValue(const QString& section, const QString& key) const;

    void writeProfileInt(const QString& section, const QString& key, int value) override;
    void writeProfileString(const QString& section, const QString& key,
                            const QString& value) override;
    void writeProfileBinary(const QString& section, const QString& key,
                            const QByteArray& value) override;

    // Pushes written values to the file now (also done on destruction).
    void flush();

    // The file that holds the store.
    QString fileName() const;

private:
    static QString path(const QString& section, const QString& key);

    std::unique_ptr<QSettings> settings_;
};

}  // namespace korvel::platform
