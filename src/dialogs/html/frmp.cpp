#include "dialogs/html/frmp.h"

#include "editing/insertion.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

const DialogRules<ParagraphFields> kRules{
    [](const OpeningText& in) { return OpenParagraph(in.old, in.selection); },
    [](const ParagraphFields& f) { return Composed::Text(ComposeParagraph(f)); },
    QStringList{QStringLiteral("ALIGN")},
};

} // namespace

ParagraphFields OpenParagraph(const QString& old, const QString& selection)
{
    ParagraphFields f;
    const qsizetype gt = OpeningTagEnd(old);
    const qsizetype close = gt < 0 ? -1 : ClosingTagAt(old, u"</P>", gt);
    if (close < 0 || gt < 0) {
        if (!old.isEmpty() && gt >= 0) {
            f.openingTagOnly = true;
            f.quote = QuoteStyleOf(old);
            f.align = AlignOf(ReadAttrWord(old, u"ALIGN="));
            return f;
        }
        f.text = DropTrailingCrLf(selection, f.selEndsWithCrLf);
        return f;
    }
    // A "</P>" before the first ">" (as in "<P</P>") leaves no content rather than a range
    // that runs backwards.
    const qsizetype from = gt + 1;
    const QString content = close > from ? old.mid(from, close - from) : QString();
    f.text = DropTrailingCrLf(content, f.textEndsWithCrLf);
    f.quote = QuoteStyleOf(old);
    f.align = AlignOf(ReadAttrWord(old, u"ALIGN="));
    return f;
}

QString ComposeParagraph(const ParagraphFields& f)
{
    if (f.openingTagOnly)
        return QStringLiteral("<P") + AttributeText(u"ALIGN", AlignWord(f.align), f.quote) + u'>';
    if (f.text.isEmpty())
        return QStringLiteral("<P>");
    QString out = QStringLiteral("<P");
    out += AttributeText(u"ALIGN", AlignWord(f.align), f.quote);
    out += u'>';
    out += f.text;
    if (f.textEndsWithCrLf)
        out += kCrLf;
    out += QStringLiteral("</P>");
    if (f.selEndsWithCrLf)
        out += kCrLf;
    return out;
}

frmP::frmP(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmP"), QStringLiteral("段落"), kRules)
{
    Heading()->setText(QStringLiteral("空行付き改行"));
    textField_ = TextRow(&ParagraphFields::text, QStringLiteral("Text1"), QStringLiteral("Label1"),
                         QStringLiteral("文字"));
    textField_->setMinimumWidth(280);
    QuoteRow(&ParagraphFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option5"),
             QStringLiteral("Option6"));
    ChoiceRow<Align>(&ParagraphFields::align, QStringLiteral("Frame3"), QStringLiteral("表示位置"),
                     {{QStringLiteral("Option1"), QStringLiteral("指定なし"), Align::None},
                      {QStringLiteral("Option10"), QStringLiteral("左寄せ"), Align::Left},
                      {QStringLiteral("Option11"), QStringLiteral("中央"), Align::Center},
                      {QStringLiteral("Option12"), QStringLiteral("右寄せ"), Align::Right}});
}

void frmP::Showing(const ParagraphFields& f)
{
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
}

} // namespace tl
