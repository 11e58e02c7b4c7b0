#include "document/CKorvelDoc.h"

namespace korvel::document {

CKorvelDoc::CKorvelDoc() = default;
CKorvelDoc::~CKorvelDoc() = default;

}  // namespace korvel::document
