#include "app/CChildFrame.h"

#include "app/CMainFrame.h"
#include "app/CRulerBar.h"
#include "document/CKorvelView.h"
#include "framework/CView.h"

#include <QGridLayout>
#include <QPalette>

namespace korvel::app {

CChildFrame::CChildFrame(QWidget* parent) : framework::CMDIChildWnd(parent) {}

CChildFrame::~CChildFrame() = default;

bool CChildFrame::OnCreateClient(std::unique_ptr<framework::CView> view) {
    auto client = std::make_unique<QWidget>();
    auto* grid = new QGridLayout(client.get());  // owned by the client
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    horizontal_ = new CRulerBar(RulerOrientation::Horizontal, kHorizontalRulerId, client.get());
    vertical_ = new CRulerBar(RulerOrientation::Vertical, kVerticalRulerId, client.get());
    horizontal_->setPartner(vertical_);
    vertical_->setPartner(horizontal_);
    corner_ = new QWidget(client.get());
    corner_->setFixedSize(vertical_->thickness(), horizontal_->thickness());
    // The corner between the rulers carries their colour, so they read as one frame.
    QPalette cornerColour = corner_->palette();
    cornerColour.setColor(QPalette::Window, CRulerBar::kBackground);
    corner_->setPalette(cornerColour);
    corner_->setAutoFillBackground(true);
    grid->addWidget(corner_, 0, 0);
    grid->addWidget(horizontal_, 0, 1);
    grid->addWidget(vertical_, 1, 0);
    if (auto* imageView = qobject_cast<document::CKorvelView*>(view.get())) {
        // The rulers follow the view once it shows a picture.
        connect(imageView, &document::CKorvelView::rulersChanged, this,
                [this](int kind, QPoint scroll, QPoint cursor, QRect imageRect, double zoom) {
                    showRulers(!imageRect.isEmpty());
                    updateRulers(kind, scroll.x(), scroll.y(), cursor, imageRect, zoom);
                    // Kind 0 follows every update of the document: its histogram may be
                    // counted anew, so the histogram window draws again.
                    if (kind == 0) {
                        if (auto* frame = qobject_cast<CMainFrame*>(window())) {
                            frame->refreshHistogram();
                        }
                    }
                });
    }
    // Both rulers measure the view's client area, wherever the layout puts it.
    horizontal_->setClient(view->viewport());
    vertical_->setClient(view->viewport());
    setView(view.get());
    grid->addWidget(view.release(), 1, 1);  // the client owns the view
    showRulers(false);
    setWidget(client.release());
    return true;
}

void CChildFrame::showRulers(bool show) {
    horizontal_->setVisible(show);
    vertical_->setVisible(show);
    corner_->setVisible(show);
}

void CChildFrame::updateRulers(int kind, int horizontalScroll, int verticalScroll, QPoint cursor,
                               const QRect& imageRect, double zoom) {
    horizontal_->update(kind, horizontalScroll, verticalScroll, cursor, imageRect, zoom);
    vertical_->update(kind, horizontalScroll, verticalScroll, cursor, imageRect, zoom);
}

}  // namespace korvel::app
