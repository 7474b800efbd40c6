#include "dialogs/html/frmpage.h"

#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

QString TrimSpaces(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}

// Each attribute of the tag with its field, in the order the tag is written.
struct PageAttribute {
    QStringView name;
    QString PageFields::*field;
};

const PageAttribute kAttributes[] = {{u"BACKGROUND", &PageFields::background},
                                     {u"BGCOLOR", &PageFields::bgcolor},
                                     {u"TEXT", &PageFields::text},
                                     {u"LINK", &PageFields::link},
                                     {u"VLINK", &PageFields::vlink},
                                     {u"ALINK", &PageFields::alink}};

PageFields OpenPageText(const OpeningText& in)
{
    return OpenPage(in.old);
}

Composed ComposePageText(const PageFields& f)
{
    return Composed::Text(ComposePage(f));
}

// An attribute the dialog could not read stays as written while its field is left alone.
const DialogRules<PageFields> kRules{
    OpenPageText,
    ComposePageText,
    QStringList{QStringLiteral("BACKGROUND"), QStringLiteral("BGCOLOR"), QStringLiteral("TEXT"),
                QStringLiteral("LINK"), QStringLiteral("VLINK"), QStringLiteral("ALINK"),
                QStringLiteral("BGPROPERTIES")},
};

} // namespace

PageFields OpenPage(const QString& old)
{
    PageFields f;
    if (!ContainsNoCase(old, u"<BODY") || !old.contains(u'>')) {
        f.fixed = true;
        return f;
    }
    f.reediting = true;
    f.background = ReadAttrFile(old, u"BACKGROUND");
    f.bgcolor = ReadAttrWord(old, u"BGCOLOR");
    // The leading space keeps TEXT and LINK from matching inside other names (VLINK, ALINK).
    f.text = ReadAttrWord(old, u" TEXT");
    f.link = ReadAttrWord(old, u" LINK");
    f.vlink = ReadAttrWord(old, u"VLINK");
    f.alink = ReadAttrWord(old, u"ALINK");
    // The attribute, not the word anywhere: a background named "fixed.gif" fixes nothing.
    f.fixed = ReadAttrWord(old, u"BGPROPERTIES").compare(u"FIXED", Qt::CaseInsensitive) == 0;
    f.quote = QuoteStyleOf(old);
    return f;
}

QString ComposePage(const PageFields& f)
{
    QString attributes;
    for (const PageAttribute& a : kAttributes)
        attributes += AttributeText(a.name, TrimSpaces(f.*a.field), f.quote);
    if (f.fixed)
        attributes += AttributeText(u"BGPROPERTIES", u"FIXED", f.quote);
    if (attributes.isEmpty() && !f.reediting)
        return {};
    return QStringLiteral("<BODY") + attributes + u'>';
}

frmPage::frmPage(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmPage"), QStringLiteral("Page"), kRules)
{
    Heading()->setText(QStringLiteral("ページ設定"));
    // Six buttons share one caption; the reader also says which field each one fills. The
    // picker fills all five colour fields itself when it sees this dialog open.
    auto reader = [](const QString& caption) { return caption + QStringLiteral(" 参照...."); };
    const QString background = QStringLiteral("背景ｲﾒｰｼﾞ");
    FileRow(&PageFields::background, QStringLiteral("Text1"), QStringLiteral("Label1"), background,
            QStringLiteral("CmdImg"), reader(background),
            QStringLiteral("*.gif *.jpg *.bmp ﾌｧｲﾙ |*.gif;*.jpg;*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*"));
    UnderFields(
        CheckRow(&PageFields::fixed, QStringLiteral("Check3"), QStringLiteral("背景固定"), false));
    const std::pair<QString PageFields::*, const char16_t*> colours[] = {
        {&PageFields::bgcolor, u"背景色"},
        {&PageFields::text, u"テキスト"},
        {&PageFields::link, u"リンク"},
        {&PageFields::vlink, u"アクセス済リンク"},
        {&PageFields::alink, u"アクセス中リンク"}};
    for (int n = 2; const auto& [member, caption] : colours) {
        const QString c = QString::fromUtf16(caption);
        ColorRow(member, QStringLiteral("Text%1").arg(n), QStringLiteral("Label%1").arg(n), c,
                 QStringLiteral("Cmd%1").arg(n), reader(c));
        ++n;
    }
    QuoteRow(&PageFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option5"),
             QStringLiteral("Option6"));
}

} // namespace tl
