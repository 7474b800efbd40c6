#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tl::test
{

// A named pipe (FIFO), for code that must refuse one at once. Code that opens it and waits for
// the other end anyway would hang the test; instead, once the bound has passed, a watchdog opens
// both ends (and keeps the read end open), so that the waiting call goes on and the test fails
// on fired() rather than hanging.
class NamedPipe
{
public:
    explicit NamedPipe(const QString& path, int boundMs = 10000);
    ~NamedPipe();
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    bool made() const { return made_; }
    // The bound passed while the pipe was in use: something waited on it.
    bool fired() const { return fired_; }

private:
    void watch(int boundMs);

    QString path_;
    bool made_ = false;
    std::atomic<bool> fired_{false};
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    int readEnd_ = -1;
    std::thread watchdog_;
};

} // namespace tl::test
