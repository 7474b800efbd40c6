#include "namedpipe.h"

#include <QFile>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tl::test
{

NamedPipe::NamedPipe(const QString& path, int boundMs) : path_(path)
{
    made_ = ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    if (made_)
        watchdog_ = std::thread([this, boundMs] { watch(boundMs); });
}

NamedPipe::~NamedPipe()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_.notify_all();
    if (watchdog_.joinable())
        watchdog_.join();
    if (readEnd_ >= 0)
        ::close(readEnd_);
}

void NamedPipe::watch(int boundMs)
{
    std::unique_lock lock(mutex_);
    if (stop_.wait_for(lock, std::chrono::milliseconds(boundMs), [this] { return stopping_; }))
        return;
    fired_ = true;
    const QByteArray name = QFile::encodeName(path_);
    // The read end frees a writer waiting in open(); a writer that opens and closes at once
    // frees a reader, which then reads the end of the data. Repeated, for a second wait.
    readEnd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    while (!stopping_) {
        const int writeEnd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (writeEnd >= 0)
            ::close(writeEnd);
        stop_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; });
    }
}

} // namespace tl::test
