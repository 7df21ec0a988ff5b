#include "terminationsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
namespace {

constexpr int handled[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the event loop: a handler may call almost nothing else.
int wakeFds[2] = {-1, -1};

void onSignal(int number)
{
    // The next one of this kind takes its default course: ends the process.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(number, &fallback, nullptr);
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[0], &byte, 1);
    errno = saved;
}

} // namespace
#endif

void quitOnTerminationSignals()
{
#ifdef Q_OS_UNIX
    if (wakeFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0)
        return;
    auto *notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(wakeFds[1], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });
    for (const int number : handled) {
        struct sigaction action = {};
        action.sa_handler = onSignal;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
#endif
}
