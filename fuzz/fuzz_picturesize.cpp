// Picture sizes read from random bytes: a size given is one a page can show (1 to 65,535 on
// each side), and the same bytes always give the same answer.
#include "platform/picturesize.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QSize> first = tl::PictureSize(bytes);
    if (first && (first->width() < 1 || first->height() < 1 ||
                  first->width() > tl::kMaxPictureSide || first->height() > tl::kMaxPictureSide))
        std::abort();
    if (tl::PictureSize(bytes) != first)
        std::abort();
    return 0;
}
