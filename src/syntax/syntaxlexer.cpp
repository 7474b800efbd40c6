#include "syntax/syntaxlexer.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tl
{

namespace
{

constexpr char16_t Upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

constexpr bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

constexpr bool IsHex(char16_t c)
{
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

constexpr bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == 0x3000;
}

// Characters of an element's name after its first letter.
constexpr bool IsNameChar(char16_t c)
{
    return IsAsciiLetter(c) || IsDigit(c) || c == u'-' || c == u'_' || c == u':' || c == u'.';
}

constexpr bool IsVbIdentChar(char16_t c)
{
    return IsAsciiLetter(c) || IsDigit(c) || c == u'_';
}

// VBScript's keywords, upper case.
constexpr const char* kVbKeywords[] = {
    "AND",    "AS",       "BYREF",   "BYVAL",    "CALL",    "CASE",      "CLASS",    "CONST",
    "DIM",    "DO",       "EACH",    "ELSE",     "ELSEIF",  "EMPTY",     "END",      "EQV",
    "ERASE",  "ERROR",    "EXIT",    "EXPLICIT", "FALSE",   "FOR",       "FUNCTION", "GET",
    "GOTO",   "IF",       "IMP",     "IN",       "IS",      "LET",       "LIKE",     "LOOP",
    "MOD",    "NEW",      "NEXT",    "NOT",      "NOTHING", "NULL",      "ON",       "OPTION",
    "OR",     "PRESERVE", "PRIVATE", "PROPERTY", "PUBLIC",  "RANDOMIZE", "REDIM",    "REM",
    "RESUME", "SELECT",   "SET",     "STEP",     "STOP",    "SUB",       "THEN",     "TO",
    "TRUE",   "UNTIL",    "WEND",    "WHILE",    "WITH",    "XOR",
};

bool IsVbKeyword(QStringView word)
{
    if (word.size() > 9)
        return false;
    char upper[10] = {};
    for (qsizetype k = 0; k < word.size(); ++k)
        upper[k] = char(Upper(word[k].unicode()));
    return std::any_of(std::begin(kVbKeywords), std::end(kVbKeywords),
                       [&](const char* kw) { return std::strcmp(kw, upper) == 0; });
}

class Lexer
{
public:
    Lexer(QStringView line, LexState state, std::vector<SyntaxRun>* runs,
          std::vector<LexMark>* marks)
        : s_(line.utf16()), n_(line.size()), st_(state), runs_(runs), marks_(marks)
    {
    }

    qsizetype run(qsizetype from, qsizetype stopAt)
    {
        i_ = from;
        while (i_ < n_ && i_ < stopAt) {
            if (st_.asp)
                asp();
            else
                step();
        }
        return i_;
    }
    LexState state() const { return st_; }

private:
    char16_t at(qsizetype k) const { return k < n_ ? s_[k] : char16_t(0); }

    bool startsWith(qsizetype k, const char* ascii) const
    {
        for (; *ascii; ++ascii, ++k)
            if (k >= n_ || Upper(s_[k]) != char16_t(*ascii))
                return false;
        return true;
    }

    void emit(qsizetype from, qsizetype to, SyntaxKind kind)
    {
        if (!runs_ || from >= to || kind == SyntaxKind::Plain)
            return;
        if (!runs_->empty() && runs_->back().kind == kind && runs_->back().to == from)
            runs_->back().to = to;
        else
            runs_->push_back({from, to, kind});
    }

    void mark(LexMark::Type type, qsizetype from, qsizetype to, qsizetype nameFrom = 0)
    {
        if (marks_)
            marks_->push_back({type, from, to, nameFrom});
    }

    // The first k from `from` on where s_[k] is one of the given ASCII characters; n_ if none.
    qsizetype scanTo(qsizetype from, const char* stops) const
    {
        for (qsizetype k = from; k < n_; ++k) {
            const char16_t c = s_[k];
            if (c != 0 && c < 0x80 && std::strchr(stops, char(c)))
                return k;
        }
        return n_;
    }

    void openAsp()
    {
        qsizetype end = i_ + 2;
        if (at(end) == u'=' || at(end) == u'@')
            ++end;
        emit(i_, end, SyntaxKind::AspDelimiter);
        mark(LexMark::AspOpen, i_, end);
        st_.asp = true;
        i_ = end;
    }

    // An entity at i_ ("&name;", "&#123;", "&#x7B;"); its end, or 0 when there is none.
    qsizetype entityEnd() const
    {
        qsizetype k = i_ + 1;
        constexpr qsizetype kLongest = 32;
        if (at(k) == u'#') {
            ++k;
            const bool hex = at(k) == u'x' || at(k) == u'X';
            if (hex)
                ++k;
            const qsizetype digits = k;
            while (k < n_ && k - i_ < kLongest && (hex ? IsHex(s_[k]) : IsDigit(s_[k])))
                ++k;
            if (k == digits)
                return 0;
        } else {
            if (!IsAsciiLetter(at(k)))
                return 0;
            while (k < n_ && k - i_ < kLongest && (IsAsciiLetter(s_[k]) || IsDigit(s_[k])))
                ++k;
        }
        return at(k) == u';' ? k + 1 : 0;
    }

    // A tag starts at i_: "<name", "</name" or "<!".
    bool tagStartsHere() const
    {
        const char16_t next = at(i_ + 1);
        return IsAsciiLetter(next) || next == u'!' || (next == u'/' && IsAsciiLetter(at(i_ + 2)));
    }

    void startTag()
    {
        const qsizetype lt = i_;
        const bool end = at(i_ + 1) == u'/';
        qsizetype k = i_ + (end ? 2 : 1);
        const qsizetype nameFrom = k;
        if (at(k) == u'!')
            ++k; // a declaration: <!DOCTYPE ...>
        while (k < n_ && IsNameChar(s_[k]))
            ++k;
        emit(lt, k, SyntaxKind::Tag);
        st_.raw = LexMode::Text;
        if (at(nameFrom) != u'!') {
            mark(end ? LexMark::EndTag : LexMark::StartTag, lt, k, nameFrom);
            if (!end) {
                const QStringView name(s_ + nameFrom, k - nameFrom);
                if (name.compare(u"SCRIPT", Qt::CaseInsensitive) == 0)
                    st_.raw = LexMode::Script;
                else if (name.compare(u"STYLE", Qt::CaseInsensitive) == 0)
                    st_.raw = LexMode::Style;
            }
        }
        st_.mode = LexMode::Tag;
        i_ = k;
    }

    void closeTag(qsizetype length)
    {
        emit(i_, i_ + length, SyntaxKind::Tag);
        mark(LexMark::TagClose, i_, i_ + length);
        i_ += length;
        st_.mode = st_.raw;
        st_.raw = LexMode::Text;
    }

    void step()
    {
        const char16_t c = s_[i_];
        switch (st_.mode) {
        case LexMode::Text:
            if (c == u'<') {
                if (at(i_ + 1) == u'%') {
                    openAsp();
                } else if (startsWith(i_, "<!--")) {
                    emit(i_, i_ + 4, SyntaxKind::Comment);
                    i_ += 4;
                    st_.mode = LexMode::Comment;
                } else if (tagStartsHere()) {
                    startTag();
                } else {
                    ++i_;
                }
            } else if (c == u'&') {
                const qsizetype end = entityEnd();
                emit(i_, end, SyntaxKind::Entity);
                i_ = end ? end : i_ + 1;
            } else {
                i_ = scanTo(i_ + 1, "<&");
            }
            return;
        case LexMode::Tag:
        case LexMode::TagEquals:
            tag(c);
            return;
        case LexMode::ValueDouble:
        case LexMode::ValueSingle:
            quotedValue(c, st_.mode == LexMode::ValueDouble ? u'"' : u'\'');
            return;
        case LexMode::ValueBare:
            bareValue(c);
            return;
        case LexMode::Comment:
            if (c == u'-' && startsWith(i_, "-->")) {
                emit(i_, i_ + 3, SyntaxKind::Comment);
                i_ += 3;
                st_.mode = LexMode::Text;
            } else if (c == u'<' && at(i_ + 1) == u'%') {
                openAsp();
            } else {
                const qsizetype end = scanTo(i_ + 1, "-<");
                emit(i_, end, SyntaxKind::Comment);
                i_ = end;
            }
            return;
        case LexMode::Script:
        case LexMode::Style:
            if (c == u'<' && at(i_ + 1) == u'%') {
                openAsp();
            } else if (c == u'<' &&
                       startsWith(i_, st_.mode == LexMode::Script ? "</SCRIPT" : "</STYLE")) {
                st_.mode = LexMode::Text; // the end tag is lexed as text's
            } else {
                i_ = scanTo(i_ + 1, "<");
            }
            return;
        }
    }

    void tag(char16_t c)
    {
        if (IsSpace(c)) {
            while (i_ < n_ && IsSpace(s_[i_]))
                ++i_;
            return;
        }
        if (c == u'>') {
            closeTag(1);
            return;
        }
        if (c == u'/' && at(i_ + 1) == u'>') {
            closeTag(2);
            return;
        }
        if (c == u'<') {
            if (at(i_ + 1) == u'%') {
                openAsp();
                return;
            }
            if (tagStartsHere()) {
                // A tag left open: the next one starts here.
                st_.mode = LexMode::Text;
                st_.raw = LexMode::Text;
                return;
            }
        }
        if (c == u'"' || c == u'\'') {
            emit(i_, i_ + 1, SyntaxKind::AttrValue);
            ++i_;
            st_.mode = c == u'"' ? LexMode::ValueDouble : LexMode::ValueSingle;
            return;
        }
        if (c == u'=') {
            ++i_;
            st_.mode = LexMode::TagEquals;
            return;
        }
        if (st_.mode == LexMode::TagEquals) {
            st_.mode = LexMode::ValueBare;
            return;
        }
        // An attribute's name.
        qsizetype k = i_ + 1;
        while (k < n_) {
            const char16_t d = s_[k];
            if (IsSpace(d) || d == u'=' || d == u'>' || d == u'"' || d == u'\'' ||
                (d == u'<' && (at(k + 1) == u'%' || IsAsciiLetter(at(k + 1)))) ||
                (d == u'/' && at(k + 1) == u'>'))
                break;
            ++k;
        }
        emit(i_, k, SyntaxKind::AttrName);
        i_ = k;
    }

    void quotedValue(char16_t c, char16_t quote)
    {
        if (c == quote) {
            emit(i_, i_ + 1, SyntaxKind::AttrValue);
            ++i_;
            st_.mode = LexMode::Tag;
        } else if (c == u'<' && at(i_ + 1) == u'%') {
            openAsp();
        } else if (c == u'&' && entityEnd()) {
            const qsizetype end = entityEnd();
            emit(i_, end, SyntaxKind::Entity);
            i_ = end;
        } else {
            const qsizetype end = scanTo(i_ + 1, quote == u'"' ? "\"<&" : "'<&");
            emit(i_, end, SyntaxKind::AttrValue);
            i_ = end;
        }
    }

    void bareValue(char16_t c)
    {
        if (IsSpace(c) || c == u'>') {
            st_.mode = LexMode::Tag;
        } else if (c == u'<' && at(i_ + 1) == u'%') {
            openAsp();
        } else if (c == u'&' && entityEnd()) {
            const qsizetype end = entityEnd();
            emit(i_, end, SyntaxKind::Entity);
            i_ = end;
        } else {
            qsizetype k = i_ + 1;
            while (k < n_ && !IsSpace(s_[k]) && s_[k] != u'>' && s_[k] != u'&' &&
                   !(s_[k] == u'<' && at(k + 1) == u'%'))
                ++k;
            emit(i_, k, SyntaxKind::AttrValue);
            i_ = k;
        }
    }

    // The end of an ASP block's string or comment: the line's end or the block's "%>".
    qsizetype toBlockEnd(qsizetype from) const
    {
        for (qsizetype k = from; k < n_; ++k)
            if (s_[k] == u'%' && at(k + 1) == u'>')
                return k;
        return n_;
    }

    void asp()
    {
        const char16_t c = s_[i_];
        if (c == u'%' && at(i_ + 1) == u'>') {
            emit(i_, i_ + 2, SyntaxKind::AspDelimiter);
            mark(LexMark::AspClose, i_, i_ + 2);
            i_ += 2;
            st_.asp = false;
            return;
        }
        if (c == u'"') {
            // "" inside a string is a quote; a string ends at its quote, the line's end or
            // the block's end.
            qsizetype k = i_ + 1;
            while (k < n_) {
                if (s_[k] == u'"') {
                    if (at(k + 1) == u'"') {
                        k += 2;
                        continue;
                    }
                    ++k;
                    break;
                }
                if (s_[k] == u'%' && at(k + 1) == u'>')
                    break;
                ++k;
            }
            emit(i_, k, SyntaxKind::VbString);
            i_ = k;
            return;
        }
        if (c == u'\'') {
            const qsizetype end = toBlockEnd(i_ + 1);
            emit(i_, end, SyntaxKind::VbComment);
            i_ = end;
            return;
        }
        if (IsAsciiLetter(c) || c == u'_') {
            qsizetype k = i_ + 1;
            while (k < n_ && IsVbIdentChar(s_[k]))
                ++k;
            const QStringView word(s_ + i_, k - i_);
            // A dotted member (Response.End) is no keyword.
            const bool member = i_ > 0 && s_[i_ - 1] == u'.';
            if (!member && word.compare(u"REM", Qt::CaseInsensitive) == 0 &&
                (k == n_ || IsSpace(s_[k]))) {
                const qsizetype end = toBlockEnd(k);
                emit(i_, end, SyntaxKind::VbComment);
                i_ = end;
                return;
            }
            emit(i_, k, !member && IsVbKeyword(word) ? SyntaxKind::VbKeyword : SyntaxKind::AspCode);
            i_ = k;
            return;
        }
        qsizetype k = i_ + 1;
        while (k < n_ && !IsAsciiLetter(s_[k]) && s_[k] != u'_' && s_[k] != u'"' &&
               s_[k] != u'\'' && s_[k] != u'%')
            ++k;
        emit(i_, k, SyntaxKind::AspCode);
        i_ = k;
    }

    const char16_t* s_;
    qsizetype n_;
    qsizetype i_ = 0;
    LexState st_;
    std::vector<SyntaxRun>* runs_;
    std::vector<LexMark>* marks_;
};

} // namespace

LexState LexSpan(QStringView line, qsizetype from, LexState in, qsizetype stopAt,
                 std::vector<SyntaxRun>* runs, qsizetype* stopped, std::vector<LexMark>* marks)
{
    Lexer lexer(line, in, runs, marks);
    const qsizetype end = lexer.run(std::clamp<qsizetype>(from, 0, line.size()), stopAt);
    if (stopped)
        *stopped = end;
    return lexer.state();
}

LexState LexLine(QStringView line, LexState in, std::vector<SyntaxRun>* runs,
                 std::vector<LexMark>* marks)
{
    return LexSpan(line, 0, in, line.size(), runs, nullptr, marks);
}

QColor SyntaxColor(SyntaxKind kind)
{
    switch (kind) {
    case SyntaxKind::Plain:
        return QColor(0, 0, 0);
    case SyntaxKind::Tag:
        return QColor(0x80, 0x20, 0x60);
    case SyntaxKind::AttrName:
        return QColor(0x8A, 0x4B, 0x08);
    case SyntaxKind::AttrValue:
        return QColor(0x1E, 0x6B, 0x30);
    case SyntaxKind::Entity:
        return QColor(0x00, 0x6D, 0x77);
    case SyntaxKind::Comment:
        return QColor(0x6A, 0x73, 0x7D);
    case SyntaxKind::AspDelimiter:
        return QColor(0xB0, 0x30, 0x00);
    case SyntaxKind::AspCode:
        return QColor(0x3B, 0x4A, 0x6B);
    case SyntaxKind::VbKeyword:
        return QColor(0x5B, 0x2C, 0x9F);
    case SyntaxKind::VbString:
        return QColor(0x1E, 0x6B, 0x30);
    case SyntaxKind::VbComment:
        return QColor(0x6A, 0x73, 0x7D);
    }
    return QColor(0, 0, 0);
}

} // namespace tl
