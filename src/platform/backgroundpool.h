#pragma once

class QThreadPool;

// Threads for long work that nobody watches frame by frame: decoding and parsing indexes.
// They run at the background priority phones give such work (nice 10), so on a machine with
// fewer cores than busy threads the window's thread is not kept waiting behind them; with a
// core to spare they run as fast as before.
namespace BackgroundPool {

[[nodiscard]] QThreadPool *instance();

// Every task on the pool calls this first: it lowers the thread's priority the first time.
// A thread cannot raise its priority again, which is why such work has a pool of its own.
void enter();

} // namespace BackgroundPool
