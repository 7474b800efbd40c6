#include "dialogs/html/frmmarker.h"

#include "dialogkit/dialogtext.h"
#include "editing/insertion.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

const DialogRules<MarkerFields> kRules{
    [](const OpeningText& in) { return OpenMarker(in.old, in.selection); },
    [](const MarkerFields& f) { return Composed::Text(ComposeMarker(f)); },
    QStringList{QStringLiteral("NAME")},
};

} // namespace

MarkerFields OpenMarker(const QString& old, const QString& selection)
{
    MarkerFields f;
    const qsizetype gt = OpeningTagEnd(old);
    if (!ContainsNoCase(old, u"<A") || gt < 0) {
        bool dropped = false; // the anchor does not put the line break back
        f.text = DropTrailingCrLf(selection, dropped);
        return f;
    }
    f.reediting = true;
    f.name = ReadAttrWord(old, u"NAME=");
    // The opening tag decides the quote: an apostrophe in the text does not.
    const qsizetype lt = old.indexOf(u'<');
    f.quote = QuoteStyleOf(lt >= 0 && lt < gt ? QStringView(old).sliced(lt + 1, gt - lt - 1)
                                              : QStringView(old).first(gt));
    if (!ContainsNoCase(old, u"</A>")) {
        f.openingTagOnly = true;
        return f;
    }
    // The content runs to the first "</A" when one stands before the last character.
    const qsizetype close = IndexOfNoCase(QStringView(old).chopped(1), u"</A");
    if (close > gt + 1)
        f.text = old.mid(gt + 1, close - gt - 1);
    return f;
}

QString ComposeMarker(const MarkerFields& f)
{
    QString name = f.name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("名前を付けてください");
    QString out = QStringLiteral("<A") + AttributeText(u"NAME", name, f.quote) + u'>';
    if (f.openingTagOnly)
        return out;
    if (f.text.isEmpty())
        out += f.reediting ? QString() : QStringLiteral("テキスト");
    else
        out += f.text.trimmed();
    out += QStringLiteral("</A>");
    return out;
}

frmMarker::frmMarker(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmMarker"), QStringLiteral("マーカー"), kRules)
{
    Heading()->setText(QStringLiteral("マーカー"));
    TextRow(&MarkerFields::name, QStringLiteral("Text1"), QStringLiteral("Label1"),
            QStringLiteral("マーカー名称"))
        ->setMinimumWidth(240);
    textField_ = TextRow(&MarkerFields::text, QStringLiteral("Text2"), QStringLiteral("Label2"),
                         QStringLiteral("テキスト"));
    QuoteRow(&MarkerFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option7"),
             QStringLiteral("Option8"));
}

void frmMarker::Showing(const MarkerFields& f)
{
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
}

} // namespace tl
