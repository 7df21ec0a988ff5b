#include "backgroundpriority.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <cerrno>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

constexpr int backgroundNice = 10;

} // namespace

QThreadPool *BackgroundPriority::pool()
{
    static QThreadPool *const pool = [] {
        auto *p = new QThreadPool(QCoreApplication::instance());
        p->setObjectName(QStringLiteral("BackgroundPool"));
        return p;
    }();
    return pool;
}

void BackgroundPriority::lowerThisThread()
{
    thread_local bool lowered = false;
    if (std::exchange(lowered, true))
        return;
#ifdef Q_OS_LINUX
    // On Linux the nice value belongs to the thread, not to the whole process.
    const pid_t thread = ::gettid();
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0 && current < backgroundNice)
        ::setpriority(PRIO_PROCESS, id_t(thread), backgroundNice);
#endif
}
