#include "dialogs/html/frmbasefont.h"

#include "dialogkit/dialogtext.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

namespace tl
{

namespace
{

const DialogRules<BaseFontFields> kRules{
    [](const OpeningText& in) { return OpenBaseFont(in.old); },
    [](const BaseFontFields& f) { return Composed::Text(ComposeBaseFont(f)); },
    QStringList{QStringLiteral("SIZE")},
};

} // namespace

BaseFontFields OpenBaseFont(const QString& old)
{
    BaseFontFields f;
    if (!ContainsNoCase(old, u"<BASEFONT") || !old.contains(u'>'))
        return f;
    f.size = NumberedChoice(ReadAttrWord(old, u"SIZE="), 7, 3);
    f.quote = QuoteStyleOf(old);
    return f;
}

QString ComposeBaseFont(const BaseFontFields& f)
{
    return QStringLiteral("<BASEFONT") + AttributeText(u"SIZE", QString::number(f.size), f.quote) +
           u'>';
}

frmBaseFont::frmBaseFont(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmBaseFont"), QStringLiteral("文字サイズ"), kRules)
{
    Heading()->setText(QStringLiteral("標準文字サイズ"));
    auto* label1 = new QLabel(QStringLiteral("標準文字サイズ（既定値3）"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    Body()->addWidget(label1);
    sizes_ = NumberedChoiceRow(&BaseFontFields::size, QStringLiteral("Frame1"),
                               QStringLiteral("文字サイズ"), 7);
    QuoteRow(&BaseFontFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option9"),
             QStringLiteral("Option8"));
}

void frmBaseFont::Showing(const BaseFontFields& f)
{
    // The dialog has no text field: the focus starts on the chosen size, where the arrow keys
    // move among the sizes, rather than on "1".
    if (auto* chosen = sizes_->findChild<QRadioButton*>(QStringLiteral("Option%1").arg(f.size)))
        chosen->setFocus(Qt::OtherFocusReason);
}

} // namespace tl
