#pragma once

#include "dialogkit/dialogtext.h"
#include "dialogkit/fielddialog.h"

#include <QString>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tl
{

// The horizontal rule dialog's fields, the numbers as typed.
struct LinesFields {
    using Align = tl::Align;

    QString size = QStringLiteral("0");
    QString width = QStringLiteral("0");
    bool percent = false; // WIDTH in percent
    bool noShade = false;
    QString color;
    Align align = Align::None;
    QuoteStyle quote = QuoteStyle::Double;

    bool operator==(const LinesFields&) const = default;
};

// What OK gives: the HR tag, or the field whose number is refused.
struct LinesOutput {
    enum class Invalid { None, Size, Width };

    Invalid invalid = Invalid::None;
    QString text;

    bool operator==(const LinesOutput&) const = default;
};

// The message and title shown for a refused number.
inline constexpr char16_t kLinesNumberMessage[] = u"整数の値を指定して下さい";
inline constexpr char16_t kLinesTitle[] = u"Lines";

// The fields as the dialog opens. Edit mode when old holds "<HR" and ">" (letter case aside):
// SIZE, WIDTH, COLOR and ALIGN as read, percent when old holds "%" anywhere, NOSHADE when it
// holds "NOSHADE", the single quote when it holds an apostrophe. Insert mode otherwise: percent
// on, the rest empty. Either way a size or width that is no number shows as "0".
LinesFields OpenLines(const QString& old);

// "<HR" + SIZE + COLOR + WIDTH + ALIGN + NOSHADE + ">", no line break. The numbers are read
// with WholeNumber and written when not 0; COLOR is the trimmed colour, written whenever the
// typed colour is not empty. A size or width that is no number refuses, the size first.
LinesOutput ComposeLines(const LinesFields& fields);

// The horizontal rule dialog, caption "Lines".
class frmLines : public tl::FieldDialog<tl::LinesFields>
{
    Q_OBJECT
public:
    explicit frmLines(const DialogRequest& request);

    // The fields as the controls show them.
    LinesFields Fields() const { return Values(); }
};

} // namespace tl
