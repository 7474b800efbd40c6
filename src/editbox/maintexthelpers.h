#pragma once

// Helpers shared by the edit box's source files (maintextedit*.cpp); not for other code.

#include <QChar>
#include <QKeyEvent>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tl::maintext
{

inline QStringList LocalFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

// Characters of one class form a word for double clicks and Ctrl+arrow moves. Japanese text
// has no spaces, so hiragana, katakana and kanji runs are words of their own.
inline int CharClass(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u' ' || u == u'\t' || u == 0x3000)
        return 0;
    if (u == 0x30FC || (u >= 0xFF66 && u <= 0xFF9F))
        return 3; // prolonged sound mark and half-width katakana go with katakana
    if (c.isSurrogate())
        return 4;
    if (c.isLetterOrNumber() || u == u'_') {
        switch (c.script()) {
        case QChar::Script_Hiragana:
            return 2;
        case QChar::Script_Katakana:
            return 3;
        case QChar::Script_Han:
            return 4;
        default:
            return 1;
        }
    }
    return 5;
}

// Half-width columns a character takes in the editor's font: East Asian wide characters take
// two. Used to size the horizontal scroll range without laying out every line.
inline int ColumnsOf(char16_t u)
{
    if (u < 0x1100)
        return 1;
    if (u >= 0xFF61 && u <= 0xFFDC)
        return 1; // half-width katakana and hangul
    if (u >= 0xDC00 && u <= 0xDFFF)
        return 0; // second half of a pair: the first half counted two
    return 2;
}

inline bool IsPrintableInput(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control && c != u'\t')
            return false;
    return true;
}

// Ctrl+]: the caret goes to the partner of the tag it is in.
inline bool IsJumpToPartner(const QKeyEvent& key)
{
    return key.key() == Qt::Key_BracketRight &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

constexpr int kLineWidthForLayout = 1'000'000;

// Lines from this length on are laid out a chunk at a time (see LongLine): shaping and drawing
// a whole line of a minified page would cost every key stroke tens of milliseconds.
constexpr qsizetype kLongLineChars = 4096;

// Characters of a long line's text handed to an input method around the caret, each side.
constexpr qsizetype kSurroundingChars = 1024;

} // namespace tl::maintext
