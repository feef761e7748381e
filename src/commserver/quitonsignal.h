#pragma once
// SIGTERM and SIGINT end a program's event loop normally, so it cleans up (socket file, lock)
// and exits with code 0.

namespace kvr::commserver {

// Call once, after the QCoreApplication exists.
void quitEventLoopOnSignals();

} // namespace kvr::commserver
