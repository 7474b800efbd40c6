// The start-tag reader, the re-edit merge of unknown attributes and the whole-number rule.
#include "dialogkit/dialogtext.h"
#include "fuzzinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tl::fuzz::Input in(data, size);
    const QString number = in.text(24);
    const QString newText = in.text(64);
    const QString oldText = in.rest();

    if (const auto n = tl::WholeNumber(number)) {
        if (*n > 1000000000 || *n < -1000000000)
            std::abort();
    }

    QString name;
    QList<tl::WrittenAttribute> attributes;
    qsizetype end = -1;
    if (tl::ReadStartTag(oldText, &name, &attributes, &end)) {
        if (end <= 0 || end > oldText.size() || name.isEmpty())
            std::abort();
    }
    const QStringList known = {QStringLiteral("ALIGN"), QStringLiteral("SIZE"),
                               QStringLiteral("COLOR")};
    tl::KeepOtherAttributes(oldText, newText, known);
    tl::KeepOtherAttributes(oldText, oldText, {});
    return 0;
}
