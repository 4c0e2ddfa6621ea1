#include "refhost/HostWindow.h"

namespace refhost {

bool HostWindow::OnFrameDrawn() {
  ++framesNoticed_;
  return frameNoticeResult_;
}

}  // namespace refhost
