#include "dialogs/html/frmp.h"

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

const QString kCrLf = QStringLiteral("\r\n");

QStringView AlignWord(ParagraphFields::Align align)
{
    switch (align) {
    case ParagraphFields::Align::Left:
        return u"left";
    case ParagraphFields::Align::Center:
        return u"center";
    case ParagraphFields::Align::Right:
        return u"right";
    case ParagraphFields::Align::None:
        break;
    }
    return {};
}

ParagraphFields::Align AlignOf(const QString& word)
{
    if (word.compare(u"left", Qt::CaseInsensitive) == 0)
        return ParagraphFields::Align::Left;
    if (word.compare(u"center", Qt::CaseInsensitive) == 0)
        return ParagraphFields::Align::Center;
    if (word.compare(u"right", Qt::CaseInsensitive) == 0)
        return ParagraphFields::Align::Right;
    return ParagraphFields::Align::None;
}

} // namespace

ParagraphFields OpenParagraph(const QString& old, const QString& selection)
{
    ParagraphFields f;
    const qsizetype close = IndexOfNoCase(old, u"</P>");
    const qsizetype gt = old.indexOf(u'>');
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
    : TagDialog(request, QStringLiteral("frmP"), QStringLiteral("段落"))
{
    Heading()->setText(QStringLiteral("空行付き改行"));

    QLabel* label1 = nullptr;
    textField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                               QStringLiteral("文字"), &label1);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(label1);
    textRow->addWidget(textField_, 1);
    textField_->setMinimumWidth(280);
    Body()->addLayout(textRow);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option5"),
                                    QStringLiteral("Option6")));

    auto* frame3 = new QGroupBox(QStringLiteral("表示位置"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* alignRow = new QHBoxLayout(frame3);
    auto option = [&](const char* name, const QString& caption) {
        auto* b = new QRadioButton(caption, frame3);
        b->setObjectName(QLatin1StringView(name));
        alignRow->addWidget(b);
        return b;
    };
    noAlignOption_ = option("Option1", QStringLiteral("指定なし"));
    leftOption_ = option("Option10", QStringLiteral("左寄せ"));
    centerOption_ = option("Option11", QStringLiteral("中央"));
    rightOption_ = option("Option12", QStringLiteral("右寄せ"));
    noAlignOption_->setChecked(true);
    Body()->addWidget(frame3);
}

void frmP::Opening()
{
    Show(OpenParagraph(OldText(), Box().SelText()));
}

void frmP::Show(const ParagraphFields& f)
{
    textField_->setText(f.text);
    if (!f.text.isEmpty())
        textField_->selectAll();
    textEndsWithCrLf_ = f.textEndsWithCrLf;
    selEndsWithCrLf_ = f.selEndsWithCrLf;
    openingTagOnly_ = f.openingTagOnly;
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
    SetQuote(f.quote);
    switch (f.align) {
    case ParagraphFields::Align::None:
        noAlignOption_->setChecked(true);
        break;
    case ParagraphFields::Align::Left:
        leftOption_->setChecked(true);
        break;
    case ParagraphFields::Align::Center:
        centerOption_->setChecked(true);
        break;
    case ParagraphFields::Align::Right:
        rightOption_->setChecked(true);
        break;
    }
}

ParagraphFields frmP::Fields() const
{
    ParagraphFields f;
    f.text = textField_->text();
    f.quote = Quote();
    f.textEndsWithCrLf = textEndsWithCrLf_;
    f.selEndsWithCrLf = selEndsWithCrLf_;
    f.openingTagOnly = openingTagOnly_;
    if (leftOption_->isChecked())
        f.align = ParagraphFields::Align::Left;
    else if (centerOption_->isChecked())
        f.align = ParagraphFields::Align::Center;
    else if (rightOption_->isChecked())
        f.align = ParagraphFields::Align::Right;
    return f;
}

std::optional<QString> frmP::Compose()
{
    return ComposeParagraph(Fields());
}

std::optional<QStringList> frmP::KnownAttributes() const
{
    return QStringList{QStringLiteral("ALIGN")};
}

} // namespace tl
