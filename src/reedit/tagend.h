#pragma once

#include <QStringView>

namespace tl
{

// Where a tag ends: the one rule the recognizer, the start-tag reader and every dialog use.
// From the "<" on, the tag ends at the first ">" that is
// - outside an ASP block ("<%" to its "%>"; a block that never closes is plain text), and
// - outside a quoted value (a quote right after "=", blanks allowed between). A quote that is
//   not closed before the next "<" that opens no ASP block counts as no quote, so that a
//   hand-written <A HREF="x.htm> ends at its ">" instead of swallowing the page.
//
// TagEndScanner is fed the text after the "<" in pieces, so that the recognizer can read a
// large page a chunk at a time; it keeps no text beyond what it was given.
class TagEndScanner
{
public:
    // Feed the next piece, which starts at position offset (positions are the caller's). True
    // once the end is known: End() then holds the position of the ">". A piece may end inside
    // "<%" or "%>"; the scanner remembers the character before.
    bool Feed(QStringView piece, qint64 offset);
    // The position of the ">" that ends the tag, or -1 when the text ran out first. After the
    // text ran out with a quote still open, the ">" that ended it before the quote counts.
    qint64 End() const;
    bool Done() const { return end_ >= 0; }

private:
    enum class State { Name, AfterEquals, Quoted };
    State state_ = State::Name;
    char16_t quote_ = 0;
    bool inAsp_ = false;
    char16_t previous_ = 0;
    qint64 end_ = -1;
    // The first ">" outside ASP blocks after the open quote: the end if the quote never closes.
    qint64 fallback_ = -1;
    // The first ">" after an ASP block opened: the end if the block never closes, as it would
    // be were the block plain text.
    qint64 aspFallback_ = -1;
};

// The position in text of the ">" that ends the tag whose "<" is at lt, or -1 when none does.
qsizetype StartTagEnd(QStringView text, qsizetype lt = 0);

} // namespace tl
