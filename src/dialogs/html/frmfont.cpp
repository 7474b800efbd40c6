#include "dialogs/html/frmfont.h"

#include "core/appstate.h"
#include "dialogkit/dialogtext.h"
#include "editing/insertion.h"
#include "platform/errors.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// The FACE value of a start tag. A quoted list keeps its spaces and commas; an unquoted value
// ends at the first blank, so the attribute after it is not read as part of the face.
QString FaceOf(QStringView tag)
{
    const QStringView name = u"FACE=";
    const qsizetype p = IndexOfNoCase(tag, name);
    if (p < 0)
        return {};
    bool quoted = false;
    for (qsizetype i = p + name.size(); i < tag.size(); ++i) {
        const QChar c = tag[i];
        if (c == u'"' || c == u'\'')
            quoted = true;
        else if (c != u'=' && c != u'>')
            break;
    }
    QString face = ReadAttrText(tag, name);
    if (!quoted) {
        for (qsizetype i = 0; i < face.size(); ++i) {
            if (face[i].isSpace()) {
                face.truncate(i);
                break;
            }
        }
    }
    return face;
}

const DialogRules<FontFields> kRules{
    [](const OpeningText& in) { return OpenFont(in.old, in.selection); },
    [](const FontFields& f) { return Composed::Text(ComposeFont(f)); },
    QStringList{QStringLiteral("FACE"), QStringLiteral("COLOR"), QStringLiteral("SIZE")},
};

} // namespace

FontFields OpenFont(const QString& old, const QString& selection)
{
    FontFields f;
    const qsizetype gt = OpeningTagEnd(old);
    if (old.isEmpty() || gt < 0) {
        f.text = DropTrailingCrLf(selection, f.selEndsWithCrLf);
        return f;
    }
    // The attributes are read from the opening tag alone, its ">" included so that an unquoted
    // value at its end is read whole.
    const QString tag = old.left(gt + 1);
    f.size = NumberedChoice(ReadAttrWord(tag, u"SIZE="), 7, 3);
    f.color = ReadAttrWord(tag, u"COLOR=");
    f.face = FaceOf(tag);
    f.quote = QuoteStyleOf(tag);
    const qsizetype close = ClosingTagAt(old, u"</FONT>", gt);
    if (close < 0) {
        f.openingTagOnly = true;
        return f;
    }
    if (close > gt + 1)
        f.text = old.mid(gt + 1, close - gt - 1);
    return f;
}

QString ComposeFont(const FontFields& f)
{
    QString out = QStringLiteral("<FONT");
    out += AttributeText(u"FACE", f.face, f.quote);
    out += AttributeText(u"COLOR", f.color, f.quote);
    out += AttributeText(u"SIZE", QString::number(f.size), f.quote);
    out += u'>';
    if (f.openingTagOnly)
        return out;
    out += f.text;
    out += QStringLiteral("</FONT>");
    if (f.selEndsWithCrLf)
        out += kCrLf;
    if (f.center)
        out = QStringLiteral("<CENTER>") + kCrLf + out + kCrLf + QStringLiteral("</CENTER>");
    return out;
}

QString FontProposal(const QString& face)
{
    return face.isEmpty() ? QStringLiteral("ＭＳ 明朝") : face;
}

frmFont::frmFont(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmFont"), QStringLiteral("フォント・サイズ"), kRules)
{
    Heading()->setText(QStringLiteral("ﾌｫﾝﾄ・文字ｻｲｽﾞ"));
    textField_ = TextRow(&FontFields::text, QStringLiteral("Text3"), QStringLiteral("Label3"),
                         QStringLiteral("文字"));
    textField_->setMinimumWidth(280);
    NumberedChoiceRow(&FontFields::size, QStringLiteral("Frame1"), QStringLiteral("文字サイズ"), 7);
    ColorRow(&FontFields::color, QStringLiteral("Text1"), QStringLiteral("Label1"),
             QStringLiteral("文字の色"), QStringLiteral("Command1"),
             QStringLiteral("文字の色を選ぶ"));
    faceField_ = TextRow(&FontFields::face, QStringLiteral("Text2"), QStringLiteral("Label2"),
                         QStringLiteral("フォント名"));
    auto* faceButton = new QPushButton(QStringLiteral("参照...."), this);
    faceButton->setObjectName(QStringLiteral("Command2"));
    faceButton->setAccessibleName(QStringLiteral("フォント名を選ぶ"));
    Beside(faceField_, faceButton);
    centerCheck_ =
        CheckRow(&FontFields::center, QStringLiteral("Check1"), QStringLiteral("中央に表示"));
    QuoteRow(&FontFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option9"),
             QStringLiteral("Option10"));
    connect(faceButton, &QPushButton::clicked, this, &frmFont::ChooseFont);
}

void frmFont::ChooseFont()
{
    TrapErrors(*State().prompts, [&] {
        const QString family = State().prompts->fontName(FontProposal(faceField_->text()));
        if (!family.isEmpty())
            faceField_->setText(family);
    });
}

void frmFont::Showing(const FontFields& f)
{
    // An opening tag alone has no text to show or write, and nothing to centre.
    textField_->setEnabled(!f.openingTagOnly);
    centerCheck_->setEnabled(!f.openingTagOnly);
}

} // namespace tl
