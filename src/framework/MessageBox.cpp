#include "framework/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace korvel::framework {

namespace {

// The interceptor in force, if any. Message boxes are shown only on the user-interface
// thread, so this is touched from that thread alone.
ScopedMessageBoxInterceptor::Answer& interceptor() {
    static ScopedMessageBoxInterceptor::Answer answer;
    return answer;
}

QMessageBox::Icon iconOf(unsigned flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::Warning;
    }
}

}  // namespace

int AfxMessageBox(const QString& text, unsigned flags, QWidget* parent) {
    if (interceptor()) {
        return interceptor()(text, flags);
    }
    QMessageBox box(iconOf(flags), QApplication::applicationDisplayName(), text,
                    QMessageBox::NoButton, parent ? parent : QApplication::activeWindow());
    switch (flags & 0x0F) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDCANCEL;
    }
}

ScopedMessageBoxInterceptor::ScopedMessageBoxInterceptor(Answer answer)
    : previous_(std::exchange(interceptor(), std::move(answer))) {}

ScopedMessageBoxInterceptor::~ScopedMessageBoxInterceptor() {
    interceptor() = std::move(previous_);
}

}  // namespace korvel::framework
