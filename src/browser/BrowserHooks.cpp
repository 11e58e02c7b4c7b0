#include "browser/BrowserHooks.h"

#include "framework/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>

namespace korvel::browser {

using namespace framework;

bool moveFileToTrash(const QString& path) {
    // Without the data folder Qt cannot make the home trash and puts "files" and "info"
    // into the current folder instead; make sure it is there.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return QFile::moveToTrash(path);
}

int showMessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
    if (caption.isEmpty()) {
        return AfxMessageBox(text, flags, parent);
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONWARNING:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    const bool yesNo = (flags & 0x0F) == MB_YESNO;
    QMessageBox box(icon, caption, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent ? parent->window() : QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDOK;
    }
}

}  // namespace korvel::browser
