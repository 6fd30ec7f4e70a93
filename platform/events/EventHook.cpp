#include "platform/events/EventHook.h"

#include <utility>

namespace singrove {
namespace {

std::function<void()>& InstalledHook() {
  static std::function<void()> hook;
  return hook;
}

}  // namespace

void ProcessPendingEvents() {
  if (const auto& hook = InstalledHook()) hook();
}

void InstallEventHook(std::function<void()> hook) { InstalledHook() = std::move(hook); }

}  // namespace singrove
