#pragma once

// The image-processing dialogs as modal widgets.

#include "document/ImageDialogs.h"

#include <memory>

namespace korvel::document {

std::unique_ptr<ImageDialogs> makeWidgetImageDialogs();

}  // namespace korvel::document
