#include "dialogs/html/frmh.h"

#include "editing/insertion.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

QString StartTag(const HeadingFields& f)
{
    return QStringLiteral("<H") + QString::number(f.level) +
           AttributeText(u"ALIGN", AlignWord(f.align), f.quote) + u'>';
}

const DialogRules<HeadingFields> kRules{
    [](const OpeningText& in) { return OpenHeading(in.old, in.selection); },
    [](const HeadingFields& f) { return Composed::Text(ComposeHeading(f)); },
    QStringList{QStringLiteral("ALIGN")},
};

} // namespace

HeadingFields OpenHeading(const QString& old, const QString& selection)
{
    HeadingFields f;
    QString closing;
    for (int level = 1; level <= 7; ++level) {
        const QString marker = QStringLiteral("</H%1>").arg(level);
        if (ContainsNoCase(old, marker))
            closing = marker;
    }
    const qsizetype gt = OpeningTagEnd(old);
    if (old.isEmpty() || gt < 0) {
        bool dropped = false; // the heading does not put the line break back
        f.text = DropTrailingCrLf(selection, dropped);
        return f;
    }
    f.level = NumberedChoice(ReadAttrWord(old, u"<H"), 6, 3);
    f.align = AlignOf(ReadAttrWord(old, u"ALIGN="));
    f.quote = QuoteStyleOf(old);
    if (closing.isEmpty()) {
        f.openingTagOnly = true;
        return f;
    }
    // A closing tag before the opening tag's end leaves no content rather than a range that
    // runs backwards.
    const qsizetype close = ClosingTagAt(old, closing, gt);
    const qsizetype from = gt + 1;
    bool dropped = false;
    f.text = DropTrailingCrLf(close > from ? old.mid(from, close - from) : QString(), dropped);
    return f;
}

QString ComposeHeading(const HeadingFields& f)
{
    if (f.openingTagOnly)
        return StartTag(f);
    return StartTag(f) + f.text + QStringLiteral("</H") + QString::number(f.level) + u'>';
}

frmH::frmH(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmH"), QStringLiteral("文字サイズ"), kRules)
{
    Heading()->setText(QStringLiteral("見出し文字ｻｲｽﾞ"));
    textField_ = TextRow(&HeadingFields::text, QStringLiteral("Text1"), QStringLiteral("Label1"),
                         QStringLiteral("文字"));
    textField_->setMinimumWidth(280);
    NumberedChoiceRow(&HeadingFields::level, QStringLiteral("Frame1"), QStringLiteral("文字サイズ"),
                      6);
    ChoiceRow<Align>(&HeadingFields::align, QStringLiteral("Frame3"), QStringLiteral("表示位置"),
                     {{QStringLiteral("Option13"), QStringLiteral("指定なし"), Align::None},
                      {QStringLiteral("Option10"), QStringLiteral("左寄せ"), Align::Left},
                      {QStringLiteral("Option11"), QStringLiteral("中央"), Align::Center},
                      {QStringLiteral("Option12"), QStringLiteral("右寄せ"), Align::Right}});
    QuoteRow(&HeadingFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option15"),
             QStringLiteral("Option16"));
}

void frmH::Showing(const HeadingFields& f)
{
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
}

} // namespace tl
