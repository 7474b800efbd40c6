#include "platform/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tl
{

namespace
{

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    (void)!::write(g_signalPipe[0], &byte, 1);
}

} // namespace

void InstallTerminationHandler(std::function<void()> onTerminate)
{
    if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [onTerminate = std::move(onTerminate)] {
                         char byte = 0;
                         (void)!::read(g_signalPipe[1], &byte, 1);
                         onTerminate();
                     });
    struct sigaction action {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

} // namespace tl
