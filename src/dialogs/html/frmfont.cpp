#include "dialogs/html/frmfont.h"

#include "core/appstate.h"
#include "dialogkit/dialogtext.h"
#include "editor/insertion.h"
#include "editor/textbox.h"
#include "platform/errors.h"
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

const QString kCrLf = QStringLiteral("\r\n");

const QStringList& Known()
{
    static const QStringList known{QStringLiteral("FACE"), QStringLiteral("COLOR"),
                                   QStringLiteral("SIZE")};
    return known;
}

int SizeOf(const QString& word)
{
    for (int size : {1, 2, 4, 5, 6, 7}) {
        if (word == QString::number(size))
            return size;
    }
    return 3;
}

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

} // namespace

FontFields OpenFont(const QString& old, const QString& selection)
{
    FontFields f;
    const qsizetype gt = old.indexOf(u'>');
    if (old.isEmpty() || gt < 0) {
        f.text = DropTrailingCrLf(selection, f.selEndsWithCrLf);
        return f;
    }
    // The attributes are read from the opening tag alone, its ">" included so that an unquoted
    // value at its end is read whole.
    const QString tag = old.left(gt + 1);
    f.size = SizeOf(ReadAttrWord(tag, u"SIZE="));
    f.color = ReadAttrWord(tag, u"COLOR=");
    f.face = FaceOf(tag);
    f.quote = QuoteStyleOf(tag);
    const qsizetype close = IndexOfNoCase(old, u"</FONT>");
    if (close < 0) {
        f.openingTagOnly = true;
        return f;
    }
    if (close > gt + 1)
        f.text = old.mid(gt + 1, close - gt - 1);
    return f;
}

QString ComposeFont(const FontFields& f, QStringView old)
{
    QString out = QStringLiteral("<FONT");
    out += AttributeText(u"FACE", f.face, f.quote);
    out += AttributeText(u"COLOR", f.color, f.quote);
    out += AttributeText(u"SIZE", QString::number(f.size), f.quote);
    out += u'>';
    if (!old.isEmpty())
        out = KeepOtherAttributes(old, out, Known());
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
    : TagDialog(request, QStringLiteral("frmFont"), QStringLiteral("フォント・サイズ"))
{
    Heading()->setText(QStringLiteral("ﾌｫﾝﾄ・文字ｻｲｽﾞ"));

    QLabel* label3 = nullptr;
    textField_ = MakeTextField(QStringLiteral("Text3"), QStringLiteral("Label3"),
                               QStringLiteral("文字"), &label3);
    textField_->setMinimumWidth(280);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(label3);
    textRow->addWidget(textField_, 1);
    Body()->addLayout(textRow);

    auto* frame1 = new QGroupBox(QStringLiteral("文字サイズ"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* sizeRow = new QHBoxLayout(frame1);
    for (int i = 0; i < 7; ++i) {
        auto* b = new QRadioButton(QString::number(i + 1), frame1);
        b->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        sizeRow->addWidget(b);
        sizeOptions_[i] = b;
    }
    sizeRow->addStretch(1);
    sizeOptions_[2]->setChecked(true);
    Body()->addWidget(frame1);

    // The two fields with a button share their columns.
    auto* pickers = new QGridLayout;
    QLabel* label1 = nullptr;
    colorField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                                QStringLiteral("文字の色"), &label1);
    colorButton_ = new QPushButton(QStringLiteral("参照...."), this);
    colorButton_->setObjectName(QStringLiteral("Command1"));
    colorButton_->setAccessibleName(QStringLiteral("文字の色を選ぶ"));
    QLabel* label2 = nullptr;
    faceField_ = MakeTextField(QStringLiteral("Text2"), QStringLiteral("Label2"),
                               QStringLiteral("フォント名"), &label2);
    faceButton_ = new QPushButton(QStringLiteral("参照...."), this);
    faceButton_->setObjectName(QStringLiteral("Command2"));
    faceButton_->setAccessibleName(QStringLiteral("フォント名を選ぶ"));
    pickers->addWidget(label1, 0, 0);
    pickers->addWidget(colorField_, 0, 1);
    pickers->addWidget(colorButton_, 0, 2);
    pickers->addWidget(label2, 1, 0);
    pickers->addWidget(faceField_, 1, 1);
    pickers->addWidget(faceButton_, 1, 2);
    pickers->setColumnStretch(1, 1);
    Body()->addLayout(pickers);

    centerCheck_ = new QCheckBox(QStringLiteral("中央に表示"), this);
    centerCheck_->setObjectName(QStringLiteral("Check1"));
    Body()->addWidget(centerCheck_);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option9"),
                                    QStringLiteral("Option10")));

    connect(colorButton_, &QPushButton::clicked, this, [this] { PickColor(colorField_); });
    connect(faceButton_, &QPushButton::clicked, this, &frmFont::ChooseFont);
}

void frmFont::ChooseFont()
{
    TrapErrors(*State().prompts, [&] {
        const QString family = State().prompts->fontName(FontProposal(faceField_->text()));
        if (!family.isEmpty())
            faceField_->setText(family);
    });
}

void frmFont::Opening()
{
    Show(OpenFont(OldText(), Box().SelText()));
}

void frmFont::Show(const FontFields& f)
{
    textField_->setText(f.text);
    if (!f.text.isEmpty())
        textField_->selectAll();
    sizeOptions_[f.size - 1]->setChecked(true);
    colorField_->setText(f.color);
    faceField_->setText(f.face);
    centerCheck_->setChecked(f.center);
    SetQuote(f.quote);
    selEndsWithCrLf_ = f.selEndsWithCrLf;
    openingTagOnly_ = f.openingTagOnly;
    // An opening tag alone has no text to show or write, and nothing to centre.
    textField_->setEnabled(!f.openingTagOnly);
    centerCheck_->setEnabled(!f.openingTagOnly);
}

FontFields frmFont::Fields() const
{
    FontFields f;
    f.text = textField_->text();
    for (int i = 0; i < 7; ++i) {
        if (sizeOptions_[i]->isChecked())
            f.size = i + 1;
    }
    f.color = colorField_->text();
    f.face = faceField_->text();
    f.center = centerCheck_->isChecked();
    f.quote = Quote();
    f.selEndsWithCrLf = selEndsWithCrLf_;
    f.openingTagOnly = openingTagOnly_;
    return f;
}

std::optional<QString> frmFont::Compose()
{
    return ComposeFont(Fields(), OldText());
}

std::optional<QStringList> frmFont::KnownAttributes() const
{
    return Known();
}

} // namespace tl
