#pragma once

#include <functional>

namespace tl
{

// Runs onTerminate in the event loop when the process receives SIGTERM, SIGINT or SIGHUP, so
// that a request to end from the system goes through the main window's close, like the close
// box does.
void InstallTerminationHandler(std::function<void()> onTerminate);

} // namespace tl
