#include "dialogs/html/frmpage.h"

#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

QStringList PageAttributesDecided(const PageFields& opened, const PageFields& now)
{
    QStringList names;
    for (const PageAttribute& a : kAttributes) {
        if (!(opened.*a.field).isEmpty() || !TrimSpaces(now.*a.field).isEmpty())
            names << a.name.toString();
    }
    if (opened.fixed || now.fixed)
        names << QStringLiteral("BGPROPERTIES");
    return names;
}

frmPage::frmPage(const DialogRequest& request)
    : TagDialog(request, QStringLiteral("frmPage"), QStringLiteral("Page"))
{
    Heading()->setText(QStringLiteral("ページ設定"));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto fieldRow = [&](int n, const QString& caption, const QString& buttonName) {
        QLabel* label = nullptr;
        QLineEdit* field = MakeTextField(QStringLiteral("Text%1").arg(n),
                                         QStringLiteral("Label%1").arg(n), caption, &label);
        field->setMinimumWidth(200);
        auto* button = new QPushButton(QStringLiteral("参照...."), this);
        button->setObjectName(buttonName);
        // Six buttons share one caption; the reader also says which field each one fills.
        button->setAccessibleName(caption + QStringLiteral(" 参照...."));
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(button, row++, 2);
        return std::pair{field, button};
    };

    QPushButton* imageButton = nullptr;
    std::tie(backgroundField_, imageButton) =
        fieldRow(1, QStringLiteral("背景ｲﾒｰｼﾞ"), QStringLiteral("CmdImg"));
    fixedCheck_ = new QCheckBox(QStringLiteral("背景固定"), this);
    fixedCheck_->setObjectName(QStringLiteral("Check3"));
    grid->addWidget(fixedCheck_, row++, 1, 1, 2);

    QPushButton* colourButtons[5] = {};
    std::tie(bgcolorField_, colourButtons[0]) =
        fieldRow(2, QStringLiteral("背景色"), QStringLiteral("Cmd2"));
    std::tie(textField_, colourButtons[1]) =
        fieldRow(3, QStringLiteral("テキスト"), QStringLiteral("Cmd3"));
    std::tie(linkField_, colourButtons[2]) =
        fieldRow(4, QStringLiteral("リンク"), QStringLiteral("Cmd4"));
    std::tie(vlinkField_, colourButtons[3]) =
        fieldRow(5, QStringLiteral("アクセス済リンク"), QStringLiteral("Cmd5"));
    std::tie(alinkField_, colourButtons[4]) =
        fieldRow(6, QStringLiteral("アクセス中リンク"), QStringLiteral("Cmd6"));
    Body()->addLayout(grid);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option5"),
                                    QStringLiteral("Option6")));

    connect(imageButton, &QPushButton::clicked, this, [this] {
        PickFile(backgroundField_,
                 QStringLiteral("*.gif *.jpg *.bmp ﾌｧｲﾙ |*.gif;*.jpg;*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*"));
    });
    // The picker fills all five colour fields itself when it sees this dialog open.
    QLineEdit* const colourFields[5] = {bgcolorField_, textField_, linkField_, vlinkField_,
                                        alinkField_};
    for (int i = 0; i < 5; ++i) {
        QLineEdit* field = colourFields[i];
        connect(colourButtons[i], &QPushButton::clicked, this, [this, field] { PickColor(field); });
    }
}

void frmPage::Opening()
{
    opened_ = OpenPage(OldText());
    Show(opened_);
}

void frmPage::Show(const PageFields& f)
{
    backgroundField_->setText(f.background);
    bgcolorField_->setText(f.bgcolor);
    textField_->setText(f.text);
    linkField_->setText(f.link);
    vlinkField_->setText(f.vlink);
    alinkField_->setText(f.alink);
    fixedCheck_->setChecked(f.fixed);
    SetQuote(f.quote);
}

PageFields frmPage::Fields() const
{
    PageFields f;
    f.background = backgroundField_->text();
    f.bgcolor = bgcolorField_->text();
    f.text = textField_->text();
    f.link = linkField_->text();
    f.vlink = vlinkField_->text();
    f.alink = alinkField_->text();
    f.fixed = fixedCheck_->isChecked();
    f.quote = Quote();
    f.reediting = opened_.reediting;
    return f;
}

std::optional<QString> frmPage::Compose()
{
    return ComposePage(Fields());
}

std::optional<QStringList> frmPage::KnownAttributes() const
{
    return PageAttributesDecided(opened_, Fields());
}

} // namespace tl
