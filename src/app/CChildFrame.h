#pragma once

// The frame of every image document in the workspace.

#include "framework/CMDIChildWnd.h"

namespace korvel::app {

class CChildFrame : public framework::CMDIChildWnd {
    Q_OBJECT

public:
    explicit CChildFrame(QWidget* parent = nullptr);
    ~CChildFrame() override;
};

}  // namespace korvel::app
