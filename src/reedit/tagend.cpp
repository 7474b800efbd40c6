#include "reedit/tagend.h"

namespace tl
{

namespace
{

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == 0x3000;
}

} // namespace

bool TagEndScanner::Feed(QStringView piece, qint64 offset)
{
    if (end_ >= 0)
        return true;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const char16_t c = piece[i].unicode();
        const char16_t before = previous_;
        previous_ = c;
        if (inAsp_) {
            if (c == u'>' && aspFallback_ < 0)
                aspFallback_ = offset + i;
            if (before == u'%' && c == u'>') {
                inAsp_ = false;
                previous_ = 0; // "%>%>" holds one close
            }
            continue;
        }
        if (before == u'<' && c == u'%') {
            // A block opens: it may hold quotes and ">" of its own. One that never closes is
            // plain text, which the caller learns only at the end; it then sees no end here,
            // as the old first-">" rule would have found one before the block.
            inAsp_ = true;
            aspFallback_ = -1;
            previous_ = 0;
            continue;
        }
        // A "<" that opens no block: a quote still open never closes, and counts as none.
        if (before == u'<' && state_ == State::Quoted) {
            if (fallback_ >= 0) {
                end_ = fallback_;
                return true;
            }
            state_ = State::Name;
        }
        switch (state_) {
        case State::Name:
            if (c == u'>') {
                end_ = offset + i;
                return true;
            }
            if (c == u'=')
                state_ = State::AfterEquals;
            break;
        case State::AfterEquals:
            if (c == u'"' || c == u'\'') {
                state_ = State::Quoted;
                quote_ = c;
                fallback_ = -1;
            } else if (c == u'>') {
                end_ = offset + i;
                return true;
            } else if (!IsBlank(c)) {
                state_ = State::Name;
            }
            break;
        case State::Quoted:
            if (c == quote_)
                state_ = State::Name;
            else if (c == u'>' && fallback_ < 0)
                fallback_ = offset + i;
            break;
        }
    }
    return false;
}

qint64 TagEndScanner::End() const
{
    if (end_ >= 0)
        return end_;
    if (inAsp_ && aspFallback_ >= 0 && (fallback_ < 0 || state_ != State::Quoted))
        return aspFallback_;
    return state_ == State::Quoted ? fallback_ : -1;
}

qsizetype StartTagEnd(QStringView text, qsizetype lt)
{
    if (lt < 0 || lt >= text.size())
        return -1;
    TagEndScanner scanner;
    scanner.Feed(text.sliced(lt + 1), lt + 1);
    return qsizetype(scanner.End());
}

} // namespace tl
