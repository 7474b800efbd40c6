// The INI reader on random bytes: lookups, a write of a random key and the bytes written back
// must read as the same document.
#include "fuzzinput.h"
#include "platform/inifile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const QString section = in.text(12);
    const QString key = in.text(12);
    const QString value = in.text(24);
    const QByteArray bytes = in.restBytes();

    tl::IniDocument doc = tl::IniDocument::fromBytes(bytes);
    doc.value(section, key);
    if (doc.setValue(section, key, value)) {
        if (value.size() <= tl::IniDocument::kMaxValueLength && doc.value(section, key) != value)
            std::abort();
    }
    if (doc.intact()) {
        const tl::IniDocument again = tl::IniDocument::fromBytes(doc.toBytes());
        if (again.text() != doc.text())
            std::abort();
    }
    bool ok = false;
    tl::DecodeSettingsText(bytes, &ok);
    return 0;
}
