#include "app/CChildFrame.h"

namespace korvel::app {

CChildFrame::CChildFrame(QWidget* parent) : framework::CMDIChildWnd(parent) {}

CChildFrame::~CChildFrame() = default;

}  // namespace korvel::app
