#include "dialogs/html/frmbasefont.h"

#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace tl
{

BaseFontFields OpenBaseFont(const QString& old)
{
    BaseFontFields f;
    if (!ContainsNoCase(old, u"<BASEFONT") || !old.contains(u'>'))
        return f;
    const QString size = ReadAttrWord(old, u"SIZE=");
    if (size.size() == 1 && size[0] >= u'1' && size[0] <= u'7')
        f.size = size[0].unicode() - u'0';
    f.quote = QuoteStyleOf(old);
    return f;
}

QString ComposeBaseFont(const BaseFontFields& f)
{
    return QStringLiteral("<BASEFONT") + AttributeText(u"SIZE", QString::number(f.size), f.quote) +
           u'>';
}

frmBaseFont::frmBaseFont(const DialogRequest& request)
    : TagDialog(request, QStringLiteral("frmBaseFont"), QStringLiteral("文字サイズ"))
{
    Heading()->setText(QStringLiteral("標準文字サイズ"));

    auto* label1 = new QLabel(QStringLiteral("標準文字サイズ（既定値3）"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    Body()->addWidget(label1);

    auto* frame1 = new QGroupBox(QStringLiteral("文字サイズ"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* sizeRow = new QHBoxLayout(frame1);
    for (int i = 0; i < 7; ++i) {
        auto* option = new QRadioButton(QString::number(i + 1), frame1);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        sizeRow->addWidget(option);
        sizeOptions_[size_t(i)] = option;
    }
    sizeOptions_[2]->setChecked(true);
    Body()->addWidget(frame1);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option9"),
                                    QStringLiteral("Option8")));
}

void frmBaseFont::Opening()
{
    const BaseFontFields f = OpenBaseFont(OldText());
    QRadioButton* chosen = sizeOptions_[size_t(f.size - 1)];
    chosen->setChecked(true);
    SetQuote(f.quote);
    // The dialog has no text field: the focus starts on the chosen size, where the arrow keys
    // move among the sizes, rather than on "1".
    chosen->setFocus(Qt::OtherFocusReason);
}

BaseFontFields frmBaseFont::Fields() const
{
    BaseFontFields f;
    for (size_t i = 0; i < sizeOptions_.size(); ++i) {
        if (sizeOptions_[i]->isChecked())
            f.size = int(i) + 1;
    }
    f.quote = Quote();
    return f;
}

std::optional<QString> frmBaseFont::Compose()
{
    return ComposeBaseFont(Fields());
}

std::optional<QStringList> frmBaseFont::KnownAttributes() const
{
    return QStringList{QStringLiteral("SIZE")};
}

} // namespace tl
