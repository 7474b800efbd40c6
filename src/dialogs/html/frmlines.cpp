#include "dialogs/html/frmlines.h"

#include "dialogkit/dialogtext.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

QString NumberOrZero(const QString& text)
{
    return WholeNumber(text) ? text : QStringLiteral("0");
}

// A refused number names its field.
Composed ComposeLinesDialog(const LinesFields& f)
{
    const LinesOutput out = ComposeLines(f);
    if (out.invalid == LinesOutput::Invalid::None)
        return Composed::Text(out.text);
    return Composed::Refused(out.invalid == LinesOutput::Invalid::Size ? QStringLiteral("Text1")
                                                                       : QStringLiteral("Text2"),
                             QString::fromUtf16(kLinesNumberMessage),
                             QString::fromUtf16(kLinesTitle));
}

const DialogRules<LinesFields> kRules{
    [](const OpeningText& in) { return OpenLines(in.old); },
    ComposeLinesDialog,
    QStringList{QStringLiteral("SIZE"), QStringLiteral("WIDTH"), QStringLiteral("COLOR"),
                QStringLiteral("ALIGN"), QStringLiteral("NOSHADE")},
};

// Whether the WIDTH value read from tag is followed by "%" ("50%"). A "%" elsewhere in the tag
// (an ASP block, another attribute) says nothing of the width.
bool WidthIsPercent(QStringView tag, const QString& width)
{
    if (width.isEmpty() || width.startsWith(u'<'))
        return false;
    constexpr QStringView name = u"WIDTH=";
    const qsizetype at = tag.indexOf(name, 0, Qt::CaseInsensitive);
    if (at < 0)
        return false;
    qsizetype pos = at + name.size();
    while (pos < tag.size() && QStringView(u"\"'=>").contains(tag[pos]))
        ++pos;
    pos += width.size();
    return pos < tag.size() && tag[pos] == u'%';
}

} // namespace

LinesFields OpenLines(const QString& old)
{
    LinesFields f;
    if (ContainsNoCase(old, u"<HR") && old.contains(u'>')) {
        f.size = ReadAttrWord(old, u"SIZE=");
        f.width = ReadAttrWord(old, u"WIDTH=");
        f.color = ReadAttrWord(old, u"COLOR=");
        f.percent = WidthIsPercent(old, f.width);
        f.noShade = ContainsNoCase(old, u"NOSHADE");
        f.align = AlignOf(ReadAttrWord(old, u"ALIGN="));
        f.quote = QuoteStyleOf(old);
    } else {
        f.percent = true;
    }
    f.size = NumberOrZero(f.size);
    f.width = NumberOrZero(f.width);
    return f;
}

LinesOutput ComposeLines(const LinesFields& f)
{
    const std::optional<qint64> size = WholeNumber(f.size);
    if (!size)
        return {LinesOutput::Invalid::Size, {}};
    const std::optional<qint64> width = WholeNumber(f.width);
    if (!width)
        return {LinesOutput::Invalid::Width, {}};

    QString out = QStringLiteral("<HR");
    if (*size != 0)
        out += AttributeText(u"SIZE", QString::number(*size), f.quote);
    // A colour of blanks is still written, with an empty value.
    if (!f.color.isEmpty())
        out += QStringLiteral(" COLOR=") + QuotedValue(f.color.trimmed(), f.quote);
    if (*width != 0) {
        QString value = QString::number(*width);
        if (f.percent)
            value += u'%';
        out += AttributeText(u"WIDTH", value, f.quote);
    }
    out += AttributeText(u"ALIGN", AlignWord(f.align, true), f.quote);
    if (f.noShade)
        out += QStringLiteral(" NOSHADE");
    out += u'>';
    return {LinesOutput::Invalid::None, out};
}

frmLines::frmLines(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmLines"), QStringLiteral("Lines"), kRules)
{
    Heading()->setText(QStringLiteral("区切り線"));
    TextRow(&LinesFields::size, QStringLiteral("Text1"), QStringLiteral("Label1"),
            QStringLiteral("太さ"));
    QLineEdit* width = TextRow(&LinesFields::width, QStringLiteral("Text2"),
                               QStringLiteral("Label2"), QStringLiteral("長さ"));
    Beside(width, CheckRow(&LinesFields::percent, QStringLiteral("Check2"),
                           QStringLiteral("％で指定"), false));
    ColorRow(&LinesFields::color, QStringLiteral("Text3"), QStringLiteral("Label3"),
             QStringLiteral("色指定"), QStringLiteral("CmdColor"), QStringLiteral("線の色を選ぶ"));
    CheckRow(&LinesFields::noShade, QStringLiteral("Check1"), QStringLiteral("立体なし"));
    ChoiceRow<Align>(&LinesFields::align, QStringLiteral("Frame1"), QStringLiteral("配置"),
                     {{QStringLiteral("Option1"), QStringLiteral("指定なし"), Align::None},
                      {QStringLiteral("Option2"), QStringLiteral("左寄せ"), Align::Left},
                      {QStringLiteral("Option3"), QStringLiteral("中央"), Align::Center},
                      {QStringLiteral("Option4"), QStringLiteral("右寄せ"), Align::Right}});
    QuoteRow(&LinesFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option6"),
             QStringLiteral("Option7"));
}

} // namespace tl
