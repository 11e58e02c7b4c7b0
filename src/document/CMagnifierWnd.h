#pragma once

// The magnifier window: a tool window that shows the part of the active view around the
// cursor enlarged 2 to 8 times, with a red mark at the centre. Maximise and minimise step
// the factor instead of changing the window.

#include <QBasicTimer>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace korvel::document {

class CMagnifierWnd : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinFactor = 2;
    static constexpr int kMaxFactor = 8;
    static constexpr int kTimerMilliseconds = 100;

    explicit CMagnifierWnd(QWidget* parent = nullptr);

    int factor() const { return factor_; }
    void setFactor(int factor);
    void stepFactor(int delta) { setFactor(factor_ + delta); }

    // "Magnifier-%d00%%".
    static QString titleFor(int factor);
    // The area around (x, y) whose top-left W / f x H / f pixels are shown.
    static QRectF sourceRect(QPoint cursor, QSize client, int factor);
    // The red centre mark.
    static QRect centreMark(QSize client);

    // A new cursor point over `source`: grabs when the last grab has been shown.
    void setCursorPoint(QWidget* source, QPoint point);
    bool isReady() const { return ready_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int factor_ = 4;
    bool ready_ = true;
    QPixmap captured_;
    QBasicTimer timer_;
};

}  // namespace korvel::document
