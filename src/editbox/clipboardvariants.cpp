#include "editbox/clipboardvariants.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace tl
{

QMimeData* ClipboardDataWithVariants(const QString& text, QStringView crlfText,
                                     const ByteVariants& variants)
{
    auto* data = new QMimeData;
    data->setText(text);
    if (variants.empty())
        return data;
    QByteArray packed;
    QDataStream out(&packed, QIODevice::WriteOnly);
    out << crlfText.toString() << quint32(variants.size());
    for (const ByteVariant& v : variants)
        out << qint64(v.pos) << quint16(v.character) << v.bytes;
    data->setData(kByteVariantsMimeType, packed);
    return data;
}

ByteVariants PastedVariants(const QMimeData* data, QStringView crlfText)
{
    if (!data || !data->hasFormat(kByteVariantsMimeType))
        return {};
    const QByteArray packed = data->data(kByteVariantsMimeType);
    QDataStream in(packed);
    QString text;
    quint32 count = 0;
    in >> text >> count;
    if (in.status() != QDataStream::Ok || text != crlfText)
        return {};
    ByteVariants variants;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint64 pos = 0;
        quint16 character = 0;
        quint16 bytes = 0;
        in >> pos >> character >> bytes;
        if (in.status() == QDataStream::Ok)
            variants.push_back({qsizetype(pos), char16_t(character), bytes});
    }
    return variants;
}

} // namespace tl
