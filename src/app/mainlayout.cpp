#include "app/mainlayout.h"

#include <algorithm>

namespace tl
{

MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int hiddenToolbars, int gutterExtra)
{
    MainLayout l;
    const int h = 4 * kToolbarTwips - kToolbarTwips * std::clamp(hiddenToolbars, 0, 4);
    l.toolbarHeight = h;
    const int top = h + 350;
    const int extra = std::max(0, gutterExtra);
    const int left = 765 + extra;
    const int height = clientHeight != 0 ? clientHeight - (h + 640) : 0;
    // The classic arithmetic (client width - 13) pushed the box 752 twips past the right edge,
    // hiding its vertical scroll bar; here the box keeps 13 twips inside the edge.
    const int width = clientWidth != 0 ? clientWidth - left - 13 : 0;
    l.mainText = QRect(left, top, width, height);
    l.subText1 = QRect(0, top, 495 + extra, height - 200);
    l.subText3 = QRect(495 + extra, top, 150, height - 200);
    l.subText2 = QRect(720 + extra, top - 310, width, 240);
    l.labLinNo = QRect(-75, top - 310, 795 + extra, 300);
    return l;
}

int GutterDigits(int totalLine)
{
    return std::max(4, int(QString::number(std::max(totalLine, 0)).size()));
}

QString ColumnRulerText()
{
    return QStringLiteral("|----+----").repeated(12);
}

QString CaretMarkerText(const QString& markerColumn, int row)
{
    if (row > 0)
        return markerColumn.left(3 * row) + u'>' + markerColumn.mid(3 * row + 1);
    return u'>' + markerColumn.mid(1);
}

QString LineGutterText(int topLine, int totalLine)
{
    QString text;
    const int end = std::min(totalLine, topLine + 60);
    for (int k = topLine; k < end; ++k) {
        text += QString::number(k);
        text += QStringLiteral("\r\n");
    }
    return text;
}

StatusTexts ComputeStatusTexts(bool documentShown, int totalLine, int caretLine)
{
    const int n = documentShown ? totalLine : 0;
    const int c = documentShown ? caretLine : 0;
    return {QStringLiteral("全行数：") + QString::number(n),
            QStringLiteral("現在行：") + QString::number(c), QString::number(c)};
}

InputModeIndicator ComputeInputModeIndicator(int imeStatus, bool inputMode)
{
    if (imeStatus >= 4)
        return {QStringLiteral("ＩＭＥﾓｰﾄﾞＯＮ"), QColor(Qt::black)};
    if (inputMode)
        return {QStringLiteral("入力モ-ドＯＮ"), MarkerColor()};
    return {QStringLiteral("入力モ-ドＯＦＦ"), GutterColor()};
}

QString EncodingPanelText(bool documentShown, const TextEncoding& encoding, bool mixedLineEnds)
{
    if (!documentShown)
        return {};
    QString lineEnds = QStringLiteral("改行混在");
    if (!mixedLineEnds) {
        lineEnds = encoding.lineEnd == LineEnd::Lf   ? QStringLiteral("LF")
                   : encoding.lineEnd == LineEnd::Cr ? QStringLiteral("CR")
                                                     : QStringLiteral("CRLF");
    }
    return encoding.displayName() + (encoding.bom ? QStringLiteral(" (BOM)") : QString()) + u' ' +
           lineEnds;
}

namespace
{

TextEncoding Encoding(TextEncoding::Kind kind, const QByteArray& name = {}, bool bom = false)
{
    TextEncoding e;
    e.kind = kind;
    e.name = name;
    e.bom = bom;
    return e;
}

} // namespace

std::vector<EncodingChoice> ReopenEncodings()
{
    using K = TextEncoding::Kind;
    return {{QStringLiteral("Shift_JIS"), Encoding(K::Cp932)},
            {QStringLiteral("UTF-8"), Encoding(K::Utf8)},
            {QStringLiteral("EUC-JP"), Encoding(K::Named, "EUC-JP")},
            {QStringLiteral("ISO-2022-JP"), Encoding(K::Named, "ISO-2022-JP")},
            {QStringLiteral("UTF-16LE"), Encoding(K::Utf16LE)},
            {QStringLiteral("UTF-16BE"), Encoding(K::Utf16BE)}};
}

std::vector<EncodingChoice> SaveEncodings()
{
    using K = TextEncoding::Kind;
    return {{QStringLiteral("Shift_JIS"), Encoding(K::Cp932)},
            {QStringLiteral("UTF-8"), Encoding(K::Utf8)},
            {QStringLiteral("UTF-8 (BOM 付き)"), Encoding(K::Utf8, {}, true)}};
}

} // namespace tl
