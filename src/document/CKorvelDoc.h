#pragma once

// The image document: one open picture shown by one CKorvelView.

#include "framework/CDocument.h"

namespace korvel::document {

class CKorvelDoc : public framework::CDocument {
    Q_OBJECT

public:
    CKorvelDoc();
    ~CKorvelDoc() override;

    // The first document of a run hosts the thumbnail list and refuses to close until
    // the application is shutting down.
    bool isStartPage() const { return startPage_; }
    void setStartPage(bool startPage) { startPage_ = startPage; }

private:
    bool startPage_ = false;
};

}  // namespace korvel::document
