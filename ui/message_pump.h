// Drives the platform message queue of the calling (GUI) thread from Qt's event loop: a socket
// notifier on the queue's wake descriptor delivers posted and sent messages as they arrive, and a
// single-shot timer fires when the next window timer is due. Nothing polls; nested loops (modal
// dialogs, message boxes, menus) keep delivering because both sources belong to the thread's
// event dispatcher.
#pragma once

namespace ui {

// Installs the pump on the calling thread once; every dialog does this when it gets its window
// handle. Needs a QCoreApplication.
void EnsureMessagePump();

// Re-reads when the next window timer of this thread is due (after SetTimer/KillTimer).
void RearmMessagePump();

}  // namespace ui
