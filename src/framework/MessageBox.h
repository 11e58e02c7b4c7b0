#pragma once

// Modal message boxes with the button and icon flags and answers the application's
// messages are written against. A test can put an interceptor in place that answers
// instead of a person, and records what was asked.

#include <QString>

#include <functional>

class QWidget;

namespace korvel::framework {

enum MessageBoxFlags : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

enum MessageBoxAnswer : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Shows `text` with the buttons and icon of `flags` and returns the answer.
int AfxMessageBox(const QString& text, unsigned flags = MB_OK, QWidget* parent = nullptr);

// While alive, message boxes are answered by `answer` instead of being shown.
class ScopedMessageBoxInterceptor {
public:
    using Answer = std::function<int(const QString& text, unsigned flags)>;
    explicit ScopedMessageBoxInterceptor(Answer answer);
    ~ScopedMessageBoxInterceptor();
    ScopedMessageBoxInterceptor(const ScopedMessageBoxInterceptor&) = delete;
    ScopedMessageBoxInterceptor& operator=(const ScopedMessageBoxInterceptor&) = delete;

private:
    Answer previous_;
};

}  // namespace korvel::framework
