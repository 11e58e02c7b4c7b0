#pragma once

// What the application asks of a settings store: integers, strings and byte blocks under
// a section and a key, read with a default. ProfileSettings is the real one; tests use
// recording stores to check what is written and in which order.

#include <QByteArray>
#include <QString>

namespace korvel::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int getProfileInt(const QString& section, const QString& key,
                              int defaultValue) const = 0;
    virtual QString getProfileString(const QString& section, const QString& key,
                                     const QString& defaultValue = {}) const = 0;
    virtual QByteArray getProfileBinary(const QString& section, const QString& key) const = 0;

    virtual void writeProfileInt(const QString& section, const QString& key, int value) = 0;
    virtual void writeProfileString(const QString& section, const QString& key,
                                    const QString& value) = 0;
    virtual void writeProfileBinary(const QString& section, const QString& key,
                                    const QByteArray& value) = 0;
};

}  // namespace korvel::platform
