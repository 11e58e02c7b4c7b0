#pragma once

// The image document: one open picture shown by one CKorvelView.

#include "framework/CDocument.h"

#include <QImage>

namespace korvel::document {

struct DocumentContext;

class CKorvelDoc : public framework::CDocument {
    Q_OBJECT

public:
    explicit CKorvelDoc(DocumentContext& context);
    ~CKorvelDoc() override;

    DocumentContext& context() const { return context_; }

    // The first document of a run hosts the thumbnail list and refuses to close until
    // the application is shutting down.
    bool isStartPage() const { return startPage_; }
    void setStartPage(bool startPage) { startPage_ = startPage; }

    bool SaveModified() override;

    // Gives the document a picture (paste, window capture).
    void attachPicture(const QImage& picture);
    bool hasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }

    // Writes size, type and time of the picture to the status bar.
    void refreshStatus();

private:
    DocumentContext& context_;
    bool startPage_ = false;
    QImage picture_;
};

}  // namespace korvel::document
