#pragma once

// The frame of every image document in the workspace: the view with a horizontal ruler
// above it and a vertical ruler to its left. The rulers start hidden; the view shows
// them once it has a picture.

#include "framework/CMDIChildWnd.h"

namespace korvel::app {

class CRulerBar;

class CChildFrame : public framework::CMDIChildWnd {
    Q_OBJECT

public:
    static constexpr int kHorizontalRulerId = 1232;
    static constexpr int kVerticalRulerId = 1233;

    explicit CChildFrame(QWidget* parent = nullptr);
    ~CChildFrame() override;

    bool OnCreateClient(std::unique_ptr<framework::CView> view) override;

    CRulerBar* horizontalRuler() const { return horizontal_; }
    CRulerBar* verticalRuler() const { return vertical_; }
    void showRulers(bool show);

    // Passes a view update to both rulers (each takes the kinds that concern it).
    void updateRulers(int kind, int horizontalScroll, int verticalScroll, QPoint cursor,
                      const QRect& imageRect, double zoom);

private:
    CRulerBar* horizontal_ = nullptr;  // owned by the client widget
    CRulerBar* vertical_ = nullptr;
    QWidget* corner_ = nullptr;
};

}  // namespace korvel::app
