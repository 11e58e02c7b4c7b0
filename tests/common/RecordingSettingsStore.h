#pragma once

// A settings store in memory that records every write in order, for tests that check
// which keys are written and in which order.

#include "platform/SettingsStore.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

namespace korvel::test {

class RecordingSettingsStore : public platform::SettingsStore {
public:
    int getProfileInt(const QString& section, const QString& key, int defaultValue) const override {
        const auto it = values.find(section + '/' + key);
        return it == values.end() ? defaultValue : it->toInt();
    }
    QString getProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = {}) const override {
        const auto it = values.find(section + '/' + key);
        return it == values.end() ? defaultValue : it->toString();
    }
    QByteArray getProfileBinary(const QString& section, const QString& key) const override {
        return values.value(section + '/' + key).toByteArray();
    }
    void writeProfileInt(const QString& section, const QString& key, int value) override {
        record(section, key, value);
    }
    void writeProfileString(const QString& section, const QString& key,
                            const QString& value) override {
        record(section, key, value);
    }
    void writeProfileBinary(const QString& section, const QString& key,
                            const QByteArray& value) override {
        record(section, key, value);
    }

    QMap<QString, QVariant> values;  // "Section/key" -> value
    QStringList writes;              // "Section/key" in write order

private:
    void record(const QString& section, const QString& key, const QVariant& value) {
        values[section + '/' + key] = value;
        writes << section + '/' + key;
    }
};

}  // namespace korvel::test
