#include "dialogs/html/frmlines.h"

#include "dialogkit/dialogtext.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tl
{

namespace
{

using Align = LinesFields::Align;

QStringView AlignWord(Align align)
{
    switch (align) {
    case Align::Left:
        return u"Left";
    case Align::Center:
        return u"Center";
    case Align::Right:
        return u"Right";
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

QString NumberOrZero(const QString& text)
{
    return WholeNumber(text) ? text : QStringLiteral("0");
}

} // namespace

LinesFields OpenLines(const QString& old)
{
    LinesFields f;
    if (ContainsNoCase(old, u"<HR") && old.contains(u'>')) {
        f.size = ReadAttrWord(old, u"SIZE=");
        f.width = ReadAttrWord(old, u"WIDTH=");
        f.color = ReadAttrWord(old, u"COLOR=");
        f.percent = old.contains(u'%');
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

    const QChar q = QuoteChar(f.quote);
    QString out = QStringLiteral("<HR");
    if (*size != 0)
        out += AttributeText(u"SIZE", QString::number(*size), f.quote);
    // A colour of blanks is still written, with an empty value.
    if (!f.color.isEmpty())
        out += QStringLiteral(" COLOR=") + q + f.color.trimmed() + q;
    if (*width != 0) {
        QString value = QString::number(*width);
        if (f.percent)
            value += u'%';
        out += AttributeText(u"WIDTH", value, f.quote);
    }
    out += AttributeText(u"ALIGN", AlignWord(f.align), f.quote);
    if (f.noShade)
        out += QStringLiteral(" NOSHADE");
    out += u'>';
    return {LinesOutput::Invalid::None, out};
}

frmLines::frmLines(const DialogRequest& request)
    : TagDialog(request, QStringLiteral("frmLines"), QStringLiteral("Lines"))
{
    Heading()->setText(QStringLiteral("区切り線"));

    auto* grid = new QGridLayout;
    QLabel* label1 = nullptr;
    sizeField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                               QStringLiteral("太さ"), &label1);
    QLabel* label2 = nullptr;
    widthField_ = MakeTextField(QStringLiteral("Text2"), QStringLiteral("Label2"),
                                QStringLiteral("長さ"), &label2);
    percentCheck_ = new QCheckBox(QStringLiteral("％で指定"), this);
    percentCheck_->setObjectName(QStringLiteral("Check2"));
    QLabel* label3 = nullptr;
    colorField_ = MakeTextField(QStringLiteral("Text3"), QStringLiteral("Label3"),
                                QStringLiteral("色指定"), &label3);
    colorButton_ = new QPushButton(QStringLiteral("参照...."), this);
    colorButton_->setObjectName(QStringLiteral("CmdColor"));
    colorButton_->setAccessibleName(QStringLiteral("線の色を選ぶ"));
    grid->addWidget(label1, 0, 0);
    grid->addWidget(sizeField_, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(widthField_, 1, 1);
    grid->addWidget(percentCheck_, 1, 2);
    grid->addWidget(label3, 2, 0);
    grid->addWidget(colorField_, 2, 1);
    grid->addWidget(colorButton_, 2, 2);
    grid->setColumnStretch(1, 1);
    colorField_->setMinimumWidth(160);
    Body()->addLayout(grid);

    noShadeCheck_ = new QCheckBox(QStringLiteral("立体なし"), this);
    noShadeCheck_->setObjectName(QStringLiteral("Check1"));
    Body()->addWidget(noShadeCheck_);

    auto* frame1 = new QGroupBox(QStringLiteral("配置"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* alignRow = new QHBoxLayout(frame1);
    const char16_t* const captions[] = {u"指定なし", u"左寄せ", u"中央", u"右寄せ"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromUtf16(captions[i]), frame1);
        b->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        alignRow->addWidget(b);
        alignOptions_[i] = b;
    }
    alignOptions_[0]->setChecked(true);
    Body()->addWidget(frame1);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option6"),
                                    QStringLiteral("Option7")));

    connect(colorButton_, &QPushButton::clicked, this, [this] { PickColor(colorField_); });
}

void frmLines::Opening()
{
    Show(OpenLines(OldText()));
}

void frmLines::Show(const LinesFields& f)
{
    sizeField_->setText(f.size);
    widthField_->setText(f.width);
    percentCheck_->setChecked(f.percent);
    noShadeCheck_->setChecked(f.noShade);
    colorField_->setText(f.color);
    alignOptions_[int(f.align)]->setChecked(true);
    SetQuote(f.quote);
}

LinesFields frmLines::Fields() const
{
    LinesFields f;
    f.size = sizeField_->text();
    f.width = widthField_->text();
    f.percent = percentCheck_->isChecked();
    f.noShade = noShadeCheck_->isChecked();
    f.color = colorField_->text();
    for (int i = 0; i < 4; ++i) {
        if (alignOptions_[i]->isChecked())
            f.align = Align(i);
    }
    f.quote = Quote();
    return f;
}

std::optional<QString> frmLines::Compose()
{
    const LinesOutput out = ComposeLines(Fields());
    if (out.invalid == LinesOutput::Invalid::None)
        return out.text;
    ShowValidationMessage(out.invalid == LinesOutput::Invalid::Size ? sizeField_ : widthField_,
                          QString::fromUtf16(kLinesNumberMessage), QString::fromUtf16(kLinesTitle));
    return std::nullopt;
}

std::optional<QStringList> frmLines::KnownAttributes() const
{
    return QStringList{QStringLiteral("SIZE"), QStringLiteral("WIDTH"), QStringLiteral("COLOR"),
                       QStringLiteral("ALIGN"), QStringLiteral("NOSHADE")};
}

} // namespace tl
