// The three attribute readers on a random tag and a random attribute name.
#include "fuzzinput.h"
#include "reedit/attrreaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const QString name = in.text(16);
    const QString tag = in.rest();
    tl::ReadAttrText(tag, name);
    tl::ReadAttrWord(tag, name);
    tl::ReadAttrFile(tag, name);
    return 0;
}
