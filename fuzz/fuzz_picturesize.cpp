// Picture sizes read from random bytes: a size given is at least 1 x 1, and the same bytes
// always give the same answer.
#include "platform/picturesize.h"

#include <QCoreApplication>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv); // image format plugins are found through it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QSize> first = tl::PictureSize(bytes);
    if (first && (first->width() < 1 || first->height() < 1))
        std::abort();
    if (tl::PictureSize(bytes) != first)
        std::abort();
    return 0;
}
