#include "refhost/HostWindow.h"

namespace refhost {

bool HostWindow::OnFrameDrawn() {
  ++framesNoticed_;
  // The host's own frame does not change the notice's answer: a plug-in reports its own failures.
  if (hostFrame_) hostFrame_->renderHostFrame();
  return frameNoticeResult_;
}

}  // namespace refhost
