#pragma once

#include <functional>

namespace singrove {

// Lets the window toolkit handle the events already queued, then returns without waiting.
// The text and network layers call this wherever a long task must keep the window alive;
// it does nothing until a toolkit has installed its handler.
void ProcessPendingEvents();

// Installs the toolkit's handler for ProcessPendingEvents; an empty function removes it.
void InstallEventHook(std::function<void()> hook);

}  // namespace singrove
