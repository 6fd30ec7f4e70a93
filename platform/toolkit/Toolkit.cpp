#include "platform/toolkit/Toolkit.h"

#include "platform/events/EventHook.h"

namespace singrove {
namespace {

Toolkit*& InstalledToolkit() {
  static Toolkit* toolkit = nullptr;
  return toolkit;
}

}  // namespace

void UseToolkit(Toolkit* toolkit) {
  InstalledToolkit() = toolkit;
  if (toolkit == nullptr) {
    InstallEventHook({});
  } else {
    InstallEventHook([toolkit] { toolkit->ProcessPendingEvents(); });
  }
}

Toolkit* ActiveToolkit() {
  return InstalledToolkit();
}

}  // namespace singrove
