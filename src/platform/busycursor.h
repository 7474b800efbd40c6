#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace tl
{

// Shows the hourglass for the life of the object, whatever way the scope is left.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Sets a re-entry flag for the life of the object.
class ReentryGuard
{
public:
    explicit ReentryGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~ReentryGuard() { flag_ = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& flag_;
};

} // namespace tl
