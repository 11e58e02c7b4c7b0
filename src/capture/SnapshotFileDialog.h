#pragma once

// The save-file dialog a snapshot without automatic names asks with.

#include "capture/SnapshotPath.h"

class QWidget;

namespace korvel::capture {

// Shows the dialog described by `request` over `parent`, modally; no answer on Cancel.
std::optional<SaveDialogAnswer> askSavePath(QWidget* parent, const SaveDialogRequest& request);

}  // namespace korvel::capture
