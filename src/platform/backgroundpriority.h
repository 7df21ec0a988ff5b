#pragma once

class QThreadPool;

// Long work that nobody watches frame by frame (decoding and parsing indexes) runs at the
// background priority phones give such work (nice 10), so on a machine with fewer cores than
// busy threads the window's thread is not kept waiting behind it; with a core to spare it
// runs as fast as before.
namespace BackgroundPriority {

// Lowers the calling thread's priority, the first time only. A thread cannot raise its
// priority again: call it on threads that do nothing else.
void lowerThisThread();

// A thread pool for such work: each of its tasks calls lowerThisThread() first.
[[nodiscard]] QThreadPool *pool();

} // namespace BackgroundPriority
