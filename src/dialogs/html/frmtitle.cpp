#include "dialogs/html/frmtitle.h"

#include "editbox/textbox.h"
#include "editing/insertion.h"
#include "reedit/markersearch.h"
#include "reedit/tagend.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tl
{

namespace
{

using Line = TitleFields::Line;

const QString kCrLf = QStringLiteral("\r\n");

// The order in which the lines stand in the output.
constexpr std::array<Line, TitleFields::LineCount> kOutputOrder = {
    Line::Doctype,     Line::Html,     Line::Head,    Line::ContentType, Line::Author,
    Line::Description, Line::Keywords, Line::ReplyTo, Line::Comments,    Line::Title,
    Line::HeadEnd,     Line::Body,     Line::HtmlEnd};

// The NAME of each META line, in the order of TitleFields::meta.
constexpr std::array<QStringView, 5> kMetaNames = {u"Author", u"Description", u"Keywords",
                                                   u"Reply-To", u"Comments"};

bool IsBlank(QStringView text)
{
    for (QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

QString Quoted(QStringView value, QChar q)
{
    return q + value.toString() + q;
}

QString LineText(const TitleFields& f, Line line)
{
    const QChar q = QuoteChar(f.quote);
    switch (line) {
    case Line::Doctype:
        return QStringLiteral("<!DOCTYPE HTML PUBLIC ") + Quoted(u"-//W3C//DTD HTML 3.2//EN", q) +
               u'>' + kCrLf;
    case Line::Html:
        return QStringLiteral("<HTML>") + kCrLf;
    case Line::Head:
        return QStringLiteral("<HEAD>") + kCrLf;
    case Line::ContentType:
        return QStringLiteral("<META HTTP-EQUIV=") + Quoted(u"Content-Type", q) +
               QStringLiteral(" CONTENT=") + Quoted(u"text/html;charset=x-sjis", q) + u'>' + kCrLf;
    case Line::Author:
    case Line::Description:
    case Line::Keywords:
    case Line::ReplyTo:
    case Line::Comments: {
        const int i = line - Line::Author;
        return QStringLiteral("<META NAME=") + Quoted(kMetaNames[i], q) +
               QStringLiteral(" CONTENT=") + QuotedValue(f.meta[i], f.quote) + u'>' + kCrLf;
    }
    case Line::Title: {
        if (f.openingTagOnly)
            return QStringLiteral("<TITLE>");
        const QString title = IsBlank(f.title) ? QStringLiteral("     ") : f.title;
        return QStringLiteral("<TITLE>") + title + QStringLiteral("</TITLE>") +
               (f.reediting ? QString() : kCrLf);
    }
    case Line::HeadEnd:
        return QStringLiteral("</HEAD>") + kCrLf;
    case Line::Body:
        return QStringLiteral("<BODY>") + kCrLf + QStringLiteral("</BODY>") + kCrLf;
    case Line::HtmlEnd:
        return QStringLiteral("</HTML>") + kCrLf;
    case Line::LineCount:
        break;
    }
    return {};
}

// The TITLE tag the dialog writes carries no attributes; a re-edited one keeps its own.
const DialogRules<TitleFields> kRules{
    [](const OpeningText& in) { return OpenTitle(in.old, in.selection); },
    [](const TitleFields& f) { return Composed::Text(ComposeTitle(f)); },
    QStringList{},
};

} // namespace

TitleFields OpenTitle(const QString& old, const QString& selection)
{
    TitleFields f;
    const qsizetype open = IndexOfNoCase(old, u"<TITLE");
    const qsizetype openEnd = open < 0 ? -1 : StartTagEnd(old, open);
    if (old.isEmpty() || openEnd < 0) {
        bool selEndsWithCrLf = false; // the line break is not put back
        f.title = DropTrailingCrLf(selection, selEndsWithCrLf);
        for (int i = Line::Html; i <= Line::Title; ++i)
            f.lines[i] = true;
        return f;
    }
    f.reediting = true;
    f.lines[Line::Title] = true;
    f.quote = QuoteStyleOf(old);
    // The opening tag ends at its ">", attributes or not; the title follows it.
    const qsizetype from = openEnd + 1;
    const qsizetype close = IndexOfNoCase(old, u"</TITLE>", from);
    if (close < 0) {
        f.openingTagOnly = true;
        return f;
    }
    f.title = old.mid(from, close - from);
    // A title written between two equal quote characters is shown without them. A title that
    // only begins with one (or is that one character) is shown as written.
    if (f.title.size() >= 2) {
        const QChar c = f.title.front();
        if ((c == u'"' || c == u'\'') && f.title.back() == c)
            f.title = f.title.mid(1, f.title.size() - 2);
    }
    return f;
}

QString ComposeTitle(const TitleFields& f)
{
    QString out;
    for (Line line : kOutputOrder) {
        if (f.lines[line])
            out += LineText(f, line);
    }
    return out;
}

frmTitle::frmTitle(const DialogRequest& request)
    : FieldDialog(request, QStringLiteral("frmTitle"), QStringLiteral("TITLE"), kRules)
{
    Heading()->setText(QStringLiteral("タイトル"));

    // The title field comes first in the tab order, so the focus starts in it; the heading
    // "タイトル" is its label.
    titleField_ = new QLineEdit(this);
    titleField_->setObjectName(QStringLiteral("Text1"));
    titleField_->setMinimumWidth(280);
    Heading()->setBuddy(titleField_);
    Bind([this](const TitleFields& f) { titleField_->setText(f.title); },
         [this](TitleFields& f) { f.title = titleField_->text(); });

    // Check1(i) is the object "Check1_i".
    auto check = [&](Line line, const QString& caption, const QString& tip = {}) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(int(line)));
        box->setToolTip(tip);
        Bind([box, line](const TitleFields& f) { box->setChecked(f.lines[size_t(line)]); },
             [box, line](TitleFields& f) { f.lines[size_t(line)] = box->isChecked(); });
        return box;
    };

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    grid->addWidget(check(Line::Title, QStringLiteral("タイトル文字"), QStringLiteral("コメント")),
                    row, 0);
    grid->addWidget(titleField_, row++, 1, 1, 2);

    grid->addWidget(
        check(Line::Doctype, QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">")),
        row++, 0, 1, 3);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(check(Line::Html, QStringLiteral("＜HTML＞")));
    openRow->addWidget(check(Line::Head, QStringLiteral("＜HEAD＞")));
    openRow->addStretch(1);
    grid->addLayout(openRow, row++, 0, 1, 3);
    grid->addWidget(
        check(Line::ContentType,
              QStringLiteral(
                  "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">")),
        row++, 0, 1, 3);

    const std::array<QString, 5> tips = {
        QStringLiteral("作者の名前"),
        QStringLiteral("検索サーチ・エンジンの検索結果に表示される文書 "
                       "特に指定しない場合は、ホームページの最初の行が表示される。"),
        QStringLiteral("検索サーチ・エンジンにヒットさせるキーワードを記述する。　書式：<META "
                       "NAME=\"keywords\" CONTENT=\"keyword1, keyword2, keyword3\">"),
        QStringLiteral("メールの宛先"), QStringLiteral("コメント")};
    // Check box, field and closing-quote label read like the finished META line.
    for (int i = 0; i < 5; ++i) {
        const QString caption =
            QStringLiteral("<META NAME=\"%1\" CONTENT=\"").arg(kMetaNames[size_t(i)].toString());
        QCheckBox* box = check(Line(Line::Author + i), caption, tips[size_t(i)]);
        QLabel* quote = nullptr;
        QLineEdit* field =
            MakeTextField(QStringLiteral("Text%1").arg(i + 2), QStringLiteral("Label%1").arg(i + 2),
                          QStringLiteral("\""), &quote);
        field->setToolTip(tips[size_t(i)]);
        // The label beside the field is only the closing quote; the check box says what it is.
        field->setAccessibleName(caption);
        field->setMinimumWidth(240);
        Bind([field, i](const TitleFields& f) { field->setText(f.meta[size_t(i)]); },
             [field, i](TitleFields& f) { f.meta[size_t(i)] = field->text(); });
        grid->addWidget(box, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(quote, row++, 2);
    }

    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(check(Line::HeadEnd, QStringLiteral("＜/HEAD＞")));
    closeRow->addWidget(check(Line::Body, QStringLiteral("＜BODY＞＜/BODY＞")));
    closeRow->addWidget(check(Line::HtmlEnd, QStringLiteral("＜/HTML＞")));
    closeRow->addStretch(1);
    grid->addLayout(closeRow, row++, 0, 1, 3);
    Body()->addLayout(grid);

    QuoteRow(&TitleFields::quote, QStringLiteral("Frame2"), QStringLiteral("Option5"),
             QStringLiteral("Option6"));
}

void frmTitle::Showing(const TitleFields& f)
{
    // An opening tag alone has no title to show or write.
    titleField_->setEnabled(!f.openingTagOnly);
}

} // namespace tl
