#pragma once

#include "core/textencoding.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <vector>

namespace tl
{

// Where the edit box and its companions stand in the main window's client area, in twips
// (15 to the pixel). Toolbars are 420 twips high and stacked from the top.
struct MainLayout {
    QRect mainText;
    QRect subText1; // line-number gutter
    QRect subText3; // caret-line marker
    QRect subText2; // column ruler
    QRect labLinNo; // current line number
    int toolbarHeight = 0;
};

constexpr int kTwipsPerPixel = 15;
constexpr int kToolbarTwips = 420;
constexpr int kStatusBarTwips = 285;

// A width or height of 0 keeps the sizes that depend on it at 0. The edit box ends 13 twips
// inside the client area's right edge, scroll bar included. The gutter holds four digits;
// gutterExtra (twips) widens it for more, and the marker, the label, the ruler and the box move
// over by as much.
MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int hiddenToolbars,
                             int gutterExtra = 0);

// Digits the gutter needs for a page of totalLine lines: four at least.
int GutterDigits(int totalLine);

// The ruler: "|----+----" twelve times.
QString ColumnRulerText();

// The marker column with ">" in row b (counted from 0 at the top of the view); rows above the
// view put it in the top row. markerColumn is fifty rows of a space and CR LF.
QString CaretMarkerText(const QString& markerColumn, int row);

// Line numbers t up to, not including, the smaller of n and t + 60, each followed by CR LF.
QString LineGutterText(int topLine, int totalLine);

// The status bar's line panels and the line label. No document shows 0 and 0.
struct StatusTexts {
    QString lineCount;   // panel 2
    QString currentLine; // panel 3
    QString lineLabel;   // LabLinNo
};
StatusTexts ComputeStatusTexts(bool documentShown, int totalLine, int caretLine);

// Panel 1 and the colour of the gutter and ruler: the input method's conversion mode first,
// then the program's own input mode.
struct InputModeIndicator {
    QString text;
    QColor color;
};
InputModeIndicator ComputeInputModeIndicator(int imeStatus, bool inputMode);

// Panel 4: the page's encoding and the line ends its file gets ("Shift_JIS CRLF",
// "UTF-8 (BOM) LF", "EUC-JP CR"; "Shift_JIS 改行混在" when mixedLineEnds, the page keeping
// line breaks of more than one kind). Empty without a document.
QString EncodingPanelText(bool documentShown, const TextEncoding& encoding,
                          bool mixedLineEnds = false);

// What panel 4's menu offers: reading the page again as another encoding, and saving it in
// another one from now on.
struct EncodingChoice {
    QString caption;
    TextEncoding encoding;
};
std::vector<EncodingChoice> ReopenEncodings();
std::vector<EncodingChoice> SaveEncodings();

// The companions' colours.
inline QColor GutterColor()
{
    return QColor(0x80, 0, 0);
} // dark red
inline QColor MarkerColor()
{
    return QColor(0, 0, 0xFF);
} // blue

} // namespace tl
