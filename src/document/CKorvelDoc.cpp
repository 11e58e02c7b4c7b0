#include "document/CKorvelDoc.h"

#include "document/DocumentContext.h"
#include "framework/MessageBox.h"
#include "res/Resources.h"
#include "res/ids.h"

namespace korvel::document {

CKorvelDoc::CKorvelDoc(DocumentContext& context) : context_(context) {}

CKorvelDoc::~CKorvelDoc() = default;

bool CKorvelDoc::SaveModified() {
    if (startPage_ && !context_.closing) {
        framework::AfxMessageBox(res::loadString(res::IDS_START_PAGE_CANNOT_CLOSE));
        return false;
    }
    return true;
}

void CKorvelDoc::attachPicture(const QImage& picture) {
    picture_ = picture;
}

void CKorvelDoc::refreshStatus() {
    if (picture_.isNull() || !context_.setStatusPane) {
        return;
    }
    context_.setStatusPane(
        4, QString::asprintf("(%dx%dx%d)", picture_.width(), picture_.height(), picture_.depth()));
}

}  // namespace korvel::document
