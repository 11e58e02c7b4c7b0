#pragma once

// The splash window shown while the main window is created: a borderless picture in the
// middle of the screen, removed by its 100 ms timer or by the first key or mouse press.

#include <QBasicTimer>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace korvel::app {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTimerMilliseconds = 100;

    // `afterRemoval` is repainted at once when the splash goes.
    explicit SplashWindow(QWidget* afterRemoval = nullptr);
    ~SplashWindow() override;

    // The splash picture (bitmap 216), drawn by the program itself.
    static QPixmap artwork();

    // Removes the splash when `event` is a key or mouse-button press; never eats it.
    void filterInput(const QEvent* event);
    void remove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QPixmap picture_;
    QBasicTimer timer_;
    QPointer<QWidget> afterRemoval_;
};

}  // namespace korvel::app
