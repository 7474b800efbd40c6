#include "dialogs/html/frmmarker.h"

#include "editor/insertion.h"
#include "editor/textbox.h"
#include "reedit/attrreaders.h"
#include "reedit/markersearch.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tl
{

MarkerFields OpenMarker(const QString& old, const QString& selection)
{
    MarkerFields f;
    const qsizetype gt = old.indexOf(u'>');
    if (!ContainsNoCase(old, u"<A") || gt < 0) {
        bool dropped = false; // the anchor does not put the line break back
        f.text = DropTrailingCrLf(selection, dropped);
        return f;
    }
    f.reediting = true;
    f.name = ReadAttrWord(old, u"NAME=");
    // The opening tag decides the quote: an apostrophe in the text does not.
    const qsizetype lt = old.indexOf(u'<');
    f.quote = QuoteStyleOf(lt >= 0 && lt < gt ? QStringView(old).sliced(lt + 1, gt - lt - 1)
                                              : QStringView(old).first(gt));
    if (!ContainsNoCase(old, u"</A>")) {
        f.openingTagOnly = true;
        return f;
    }
    // The content runs to the first "</A" when one stands before the last character.
    const qsizetype close = IndexOfNoCase(QStringView(old).chopped(1), u"</A");
    if (close > gt + 1)
        f.text = old.mid(gt + 1, close - gt - 1);
    return f;
}

QString ComposeMarker(const MarkerFields& f)
{
    QString name = f.name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("名前を付けてください");
    QString out = QStringLiteral("<A") + AttributeText(u"NAME", name, f.quote) + u'>';
    if (f.openingTagOnly)
        return out;
    if (f.text.isEmpty())
        out += f.reediting ? QString() : QStringLiteral("テキスト");
    else
        out += f.text.trimmed();
    out += QStringLiteral("</A>");
    return out;
}

frmMarker::frmMarker(const DialogRequest& request)
    : TagDialog(request, QStringLiteral("frmMarker"), QStringLiteral("マーカー"))
{
    Heading()->setText(QStringLiteral("マーカー"));

    auto* grid = new QGridLayout;
    QLabel* label1 = nullptr;
    nameField_ = MakeTextField(QStringLiteral("Text1"), QStringLiteral("Label1"),
                               QStringLiteral("マーカー名称"), &label1);
    QLabel* label2 = nullptr;
    textField_ = MakeTextField(QStringLiteral("Text2"), QStringLiteral("Label2"),
                               QStringLiteral("テキスト"), &label2);
    nameField_->setMinimumWidth(240);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(nameField_, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(textField_, 1, 1);
    grid->setColumnStretch(1, 1);
    Body()->addLayout(grid);

    Body()->addWidget(MakeQuotePair(QStringLiteral("Frame2"), QStringLiteral("Option7"),
                                    QStringLiteral("Option8")));
}

void frmMarker::Opening()
{
    Show(OpenMarker(OldText(), Box().SelText()));
}

void frmMarker::Show(const MarkerFields& f)
{
    nameField_->setText(f.name);
    textField_->setText(f.text);
    if (!f.text.isEmpty())
        textField_->selectAll();
    SetQuote(f.quote);
    reediting_ = f.reediting;
    openingTagOnly_ = f.openingTagOnly;
    // An opening tag alone has no text to show or write.
    textField_->setEnabled(!f.openingTagOnly);
}

MarkerFields frmMarker::Fields() const
{
    MarkerFields f;
    f.name = nameField_->text();
    f.text = textField_->text();
    f.quote = Quote();
    f.reediting = reediting_;
    f.openingTagOnly = openingTagOnly_;
    return f;
}

std::optional<QString> frmMarker::Compose()
{
    return ComposeMarker(Fields());
}

std::optional<QStringList> frmMarker::KnownAttributes() const
{
    return QStringList{QStringLiteral("NAME")};
}

} // namespace tl
