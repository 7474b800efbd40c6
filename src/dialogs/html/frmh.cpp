#include "dialogs/html/frmh.h"

#include "editor/insertion.h"
#include "editor/textbox.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tl
{

namespace
{

using Align = HeadingFields::Align;

QStringView AlignWord(Align align)
{
    switch (align) {
    case Align::Left:
        return u"left";
    case Align::Center:
        return u"center";
    case Align::Right:
        return u"right";
    case Align::None:
        break;
    }
    return {};
}

Align AlignOf(const QString& word)
{
    for (Align a : {Align::Left, Align::Center, Align::Right}) {
        if (word.compare(AlignWord(a), Qt::CaseInsensitive) == 0)
            return a;
    }
    return Align::None;
}

int LevelOf(const QString& word)
{
    for (int level : {1, 2, 4, 5, 6}) {
        if (word == QString::number(level))
            return level;
    }
    return 3;
}

QString StartTag(const HeadingFields& f)
{
    return QStringLiteral("<H") + QString::number(f.level) +
           AttributeText(u"ALIGN", AlignWord(f.align), f.quote) + u'>';
}

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
    const qsizetype gt = old.indexOf(u'>');
    if (old.isEmpty() || gt < 0) {
        bool dropped = false; // the heading does not put the line break back
        f.text = DropTrailingCrLf(selection, dropped);
        return f;
    }
    f.level = LevelOf(ReadAttrWord(old, u"<H"));
    f.align = AlignOf(ReadAttrWord(old, u"ALIGN="));
    f.quote = QuoteStyleOf(old);
    if (closing.isEmpty()) {
        f.openingTagOnly = true;
        return f;
    }
    // A closing tag before the first ">" leaves no content rather than a range that runs
    // backwards.
    const qsizetype close = IndexOfNoCase(old, closing);
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
    : TagDialog(request, QStringLiteral("frmH"), QStringLiteral("文字サイズ"))
{
    Heading()->setText(QStringLiteral("見出し文字ｻｲｽﾞ"));

    QLabel* label1 = nullptr;
    textField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                               QStringLiteral("文字"), &label1);
    textField_->setMinimumWidth(280);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(label1);
    textRow->addWidget(textField_, 1);
    Body()->addLayout(textRow);

    auto* frame1 = new QGroupBox(QStringLiteral("文字サイズ"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* levelRow = new QHBoxLayout(frame1);
    for (int i = 0; i < 6; ++i) {
        auto* b = new QRadioButton(QString::number(i + 1), frame1);
        b->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        levelRow->addWidget(b);
        levelOptions_[i] = b;
    }
    levelRow->addStretch(1);
    levelOptions_[2]->setChecked(true);
    Body()->addWidget(frame1);

    auto* frame3 = new QGroupBox(QStringLiteral("表示位置"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* alignRow = new QHBoxLayout(frame3);
    const std::pair<const char*, const char16_t*> aligns[] = {{"Option13", u"指定なし"},
                                                              {"Option10", u"左寄せ"},
                                                              {"Option11", u"中央"},
                                                              {"Option12", u"右寄せ"}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromUtf16(aligns[i].second), frame3);
        b->setObjectName(QLatin1StringView(aligns[i].first));
        alignRow->addWidget(b);
        alignOptions_[i] = b;
    }
    alignOptions_[0]->setChecked(true);
    Body()->addWidget(frame3);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option15"),
                                    QStringLiteral("Option16")));
}

void frmH::Opening()
{
    Show(OpenHeading(OldText(), Box().SelText()));
}

void frmH::Show(const HeadingFields& f)
{
    textField_->setText(f.text);
    if (!f.text.isEmpty())
        textField_->selectAll();
    openingTagOnly_ = f.openingTagOnly;
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
    levelOptions_[f.level - 1]->setChecked(true);
    alignOptions_[int(f.align)]->setChecked(true);
    SetQuote(f.quote);
}

HeadingFields frmH::Fields() const
{
    HeadingFields f;
    f.text = textField_->text();
    for (int i = 0; i < 6; ++i) {
        if (levelOptions_[i]->isChecked())
            f.level = i + 1;
    }
    for (int i = 0; i < 4; ++i) {
        if (alignOptions_[i]->isChecked())
            f.align = Align(i);
    }
    f.quote = Quote();
    f.openingTagOnly = openingTagOnly_;
    return f;
}

std::optional<QString> frmH::Compose()
{
    return ComposeHeading(Fields());
}

std::optional<QStringList> frmH::KnownAttributes() const
{
    return QStringList{QStringLiteral("ALIGN")};
}

} // namespace tl
