#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <limits>

namespace korvel::platform {

namespace {

// One INI file as lines, with the lookups the profile functions need.
class IniLines {
public:
    explicit IniLines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        const QByteArray bytes = file.readAll();
        crlf_ = bytes.contains("\r\n");
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r')) {
                line.chop(1);
            }
            lines_.append(QString::fromUtf8(line));
        }
        // A file that ends with a newline splits into a last empty piece.
        if (!lines_.isEmpty() && lines_.last().isEmpty()) {
            lines_.removeLast();
        }
    }

    static std::optional<QString> sectionName(const QString& line) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith('[')) {
            return std::nullopt;
        }
        const qsizetype close = trimmed.indexOf(']');
        if (close < 0) {
            return std::nullopt;
        }
        return trimmed.mid(1, close - 1).trimmed();
    }

    static std::optional<QString> keyName(const QString& line) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.trimmed().startsWith(';')) {
            return std::nullopt;
        }
        return line.left(equals).trimmed();
    }

    // Index of the section header, or -1.
    qsizetype findSection(const QString& section) const {
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const auto name = sectionName(lines_[i]);
            if (name && name->compare(section, Qt::CaseInsensitive) == 0) {
                return i;
            }
        }
        return -1;
    }

    // One past the last line that belongs to the section starting at `header`.
    qsizetype sectionEnd(qsizetype header) const {
        qsizetype i = header + 1;
        while (i < lines_.size() && !sectionName(lines_[i])) {
            ++i;
        }
        return i;
    }

    // Index of the key's line inside the section, or -1.
    qsizetype findKey(qsizetype header, const QString& key) const {
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            const auto name = keyName(lines_[i]);
            if (name && name->compare(key, Qt::CaseInsensitive) == 0) {
                return i;
            }
        }
        return -1;
    }

    std::optional<QString> value(const QString& section, const QString& key) const {
        const qsizetype header = findSection(section);
        if (header < 0) {
            return std::nullopt;
        }
        const qsizetype line = findKey(header, key);
        if (line < 0) {
            return std::nullopt;
        }
        QString text = lines_[line].mid(lines_[line].indexOf('=') + 1).trimmed();
        if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) {
            text = text.mid(1, text.size() - 2);
        }
        return text;
    }

    void set(const QString& section, const QString& key, const std::optional<QString>& value) {
        qsizetype header = findSection(section);
        if (header < 0) {
            if (!value) {
                return;
            }
            if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) {
                lines_.append(QString());
            }
            lines_.append('[' + section + ']');
            header = lines_.size() - 1;
        }
        const qsizetype line = findKey(header, key);
        if (!value) {
            if (line >= 0) {
                lines_.removeAt(line);
            }
            return;
        }
        const QString entry = key + '=' + *value;
        if (line >= 0) {
            lines_[line] = entry;
            return;
        }
        // New keys go after the section's last non-blank line, before any blank gap.
        qsizetype insertAt = sectionEnd(header);
        while (insertAt > header + 1 && lines_[insertAt - 1].trimmed().isEmpty()) {
            --insertAt;
        }
        lines_.insert(insertAt, entry);
    }

    bool save(const QString& path) const {
        const QFileInfo info(path);
        if (!QDir().mkpath(info.absolutePath())) {
            return false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        const QByteArray newline = crlf_ ? "\r\n" : "\n";
        for (const QString& line : lines_) {
            file.write(line.toUtf8());
            file.write(newline);
        }
        return file.commit();
    }

private:
    QStringList lines_;
    bool crlf_ = false;
};

}  // namespace

int parseLeadingInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > std::numeric_limits<int>::max()) {
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        }
    }
    return static_cast<int>(negative ? -value : value);
}

int getPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& path) {
    const auto value = IniLines(path).value(section, key);
    return value ? parseLeadingInt(*value) : defaultValue;
}

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& path) {
    return IniLines(path).value(section, key).value_or(defaultValue);
}

bool writePrivateProfileString(const QString& section, const QString& key,
                               const std::optional<QString>& value, const QString& path) {
    IniLines lines(path);
    lines.set(section, key, value);
    return lines.save(path);
}

}  // namespace korvel::platform
