#pragma once

#include "platform/atomicwrite.h"

#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace tl::test
{

// A folder where only a few bytes can still be written, for full-disk tests. Tmpfs: a small
// tmpfs mounted on a fresh folder and filled up (only root may mount; ready() is false
// otherwise, and the test skips that case). Seam: an ordinary folder, with the program's file
// writes held to the free bytes through ScopedDiskSpaceLimit.
class NearlyFullFolder
{
public:
    enum class Kind { Tmpfs, Seam };
    explicit NearlyFullFolder(Kind kind);
    ~NearlyFullFolder();
    NearlyFullFolder(const NearlyFullFolder&) = delete;
    NearlyFullFolder& operator=(const NearlyFullFolder&) = delete;

    bool ready() const { return ready_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + u'/' + name; }
    // From now on at most `bytes` more can be written (a multiple of 4096 for a tmpfs, which
    // counts whole pages).
    void leaveFree(qint64 bytes);

private:
    Kind kind_;
    QTemporaryDir dir_;
    bool ready_ = false;
    bool mounted_ = false;
    std::optional<ScopedDiskSpaceLimit> limit_;
};

} // namespace tl::test
