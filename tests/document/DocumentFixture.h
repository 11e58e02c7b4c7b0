#pragma once

// A document template with image documents and views, a context whose status panes and
// message boxes a test reads, and a gradient picture to put in a document.

#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "document/DocumentContext.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <map>
#include <memory>

using namespace korvel::document;
using korvel::framework::CDocTemplate;

namespace documenttest {

// A 24-bit picture with a gradient, so that copies and undo steps can be told apart.
inline std::unique_ptr<KxImage> gradient(uint32_t width, uint32_t height, uint8_t tint = 0,
                                         uint32_t type = KXIMAGE_FORMAT_UNKNOWN) {
    auto image = std::make_unique<KxImage>(width, height, 24, type);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            image->SetPixelColor(int(x), int(y), RGBQUAD{uint8_t(x * 7), uint8_t(y * 5), tint, 0});
        }
    }
    return image;
}

class DocumentFixture : public ::testing::Test {
protected:
    void SetUp() override {
        docTemplate = std::make_unique<CDocTemplate>(
            129, QStringLiteral("\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"),
            [this] { return std::make_unique<CKorvelDoc>(context); },
            [] { return std::make_unique<korvel::framework::CMDIChildWnd>(); },
            [] { return std::make_unique<CKorvelView>(); });
        context.docTemplate = docTemplate.get();
        context.setStatusPane = [this](int index, const QString& text) { panes[index] = text; };
    }
    void TearDown() override {
        docTemplate->CloseAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CKorvelDoc* newDocument(std::unique_ptr<KxImage> image = nullptr) {
        auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile({}));
        if (image) {
            doc->setImage(std::move(image));
            doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
        }
        return doc;
    }
    // The document's view, shown at `size` and laid out for its picture.
    CKorvelView* shownView(CKorvelDoc* doc, QSize size = QSize(400, 300)) {
        auto* view = qobject_cast<CKorvelView*>(doc->views().front());
        view->resize(size);
        view->show();
        doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);
        return view;
    }
    QString path(const QString& name) const { return QDir::current().filePath(name); }
    QStringList titles() const {
        QStringList result;
        for (const auto* d : docTemplate->documents()) {
            result << d->GetTitle();
        }
        return result;
    }

    DocumentContext context;
    std::unique_ptr<CDocTemplate> docTemplate;
    std::map<int, QString> panes;
    QStringList messages;
    int answer = korvel::framework::IDOK;
    korvel::framework::ScopedMessageBoxInterceptor boxes{[this](const QString& text, unsigned) {
        messages << text;
        return answer;
    }};
};

}  // namespace documenttest

using documenttest::DocumentFixture;
using documenttest::gradient;
