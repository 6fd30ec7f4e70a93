#include "app/FlowGuard.h"

#include "platform/toolkit/Toolkit.h"

namespace singrove {
namespace {

bool gFlowRunning = false;

void SetBusy(bool busy) {
  if (Toolkit* toolkit = ActiveToolkit()) toolkit->SetBusy(busy);
}

}  // namespace

FlowGuard::FlowGuard() : refused_(gFlowRunning) {
  if (refused_) return;
  gFlowRunning = true;
  SetBusy(true);
}

FlowGuard::~FlowGuard() {
  if (refused_) return;
  gFlowRunning = false;
  SetBusy(false);
}

}  // namespace singrove
