#include "nearlyfullfolder.h"

#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tl::test
{

NearlyFullFolder::NearlyFullFolder(Kind kind) : kind_(kind)
{
    if (!dir_.isValid())
        return;
    if (kind_ == Kind::Seam) {
        ready_ = true;
        return;
    }
    const QByteArray where = QFile::encodeName(dir_.path());
    mounted_ = ::geteuid() == 0 &&
               ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=256k,mode=0777") == 0;
    ready_ = mounted_;
}

NearlyFullFolder::~NearlyFullFolder()
{
    limit_.reset();
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

void NearlyFullFolder::leaveFree(qint64 bytes)
{
    if (kind_ == Kind::Seam) {
        limit_.emplace(bytes);
        return;
    }
    struct statvfs fs {
    };
    QVERIFY(::statvfs(QFile::encodeName(dir_.path()).constData(), &fs) == 0);
    const qint64 available = qint64(fs.f_bavail) * qint64(fs.f_frsize);
    QVERIFY2(available >= bytes, "the tmpfs is already fuller than asked");
    const int fd = ::open(QFile::encodeName(file(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QByteArray block(int(available - bytes), 'f');
    const ssize_t written = ::write(fd, block.constData(), size_t(block.size()));
    ::close(fd);
    QCOMPARE(qint64(written), qint64(block.size()));
}

} // namespace tl::test
