#pragma once

// The view of an image document.

#include "framework/CView.h"

namespace korvel::document {

class CKorvelDoc;

class CKorvelView : public framework::CView {
    Q_OBJECT

public:
    explicit CKorvelView(QWidget* parent = nullptr);
    ~CKorvelView() override;

    CKorvelDoc* document() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel::document
