#include "document/CKorvelView.h"

#include "document/CKorvelDoc.h"

#include <QPainter>

namespace korvel::document {

namespace {
// The workspace grey behind and around the picture.
constexpr QColor kBackground(191, 191, 191);
}  // namespace

CKorvelView::CKorvelView(QWidget* parent) : framework::CView(parent) {}

CKorvelView::~CKorvelView() = default;

CKorvelDoc* CKorvelView::document() const {
    return qobject_cast<CKorvelDoc*>(GetDocument());
}

void CKorvelView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
}

}  // namespace korvel::document
