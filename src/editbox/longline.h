#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tl
{

// A line separator (U+2028) ends a text layout's line, so the rest of the line after it would
// not be drawn; lines are laid out with it shown as "↵" instead, one character for one.
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kShownLineSeparator = 0x21B5;

inline QString ShownText(QString text)
{
    text.replace(QChar(kLineSeparator), QChar(kShownLineSeparator));
    return text;
}

class TextBuffer;

// Advances of single characters in one font, in 1/64 pixel (the unit text layouts work in).
// The font applies no kerning, so a run of text laid out in it is exactly as wide as its
// characters' advances added up (a character with its combining marks counting as one): text
// can be placed without being shaped.
class CharAdvances
{
public:
    // The font is used without kerning; tabStop is the distance between tab stops in pixels.
    void reset(const QFont& font, qreal tabStop);
    const QFont& font() const { return font_; }
    qint64 tabStop() const { return tabStop_; }
    // The tab stop a tab at x reaches.
    qint64 nextStop(qint64 x) const { return (x / tabStop_ + 1) * tabStop_; }
    // A character that is not half of a surrogate pair.
    qint64 of(char16_t c)
    {
        if (bmp_.empty())
            bmp_.assign(0x10000, -1);
        qint32& a = bmp_[c];
        if (a < 0)
            a = measure(c);
        return a;
    }
    qint64 ofPair(char16_t high, char16_t low);
    // A character with the combining marks after it, shaped together: a face may draw a letter
    // and its mark as one precomposed glyph of another width (e + U+0301 as é).
    qint64 ofCluster(const char16_t* text, qsizetype length);

private:
    qint32 measure(char16_t c);
    qint32 measure(const QString& text);

    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    qint64 tabStop_ = 48 * 64;
    std::vector<qint32> bmp_;
    std::unordered_map<char32_t, qint32> pairs_;
    std::unordered_map<QString, qint32> clusters_;
};

// The geometry of a line too long to be shaped whole: its characters in chunks of about
// kChunkChars, each chunk's width the sum of its characters' advances, so that finding a
// position's x costs a search over the chunks plus one chunk's layout, and only the chunks on
// screen are ever laid out. Chunks break only between whole characters (grapheme clusters).
//
// An edit changes the chunks' lengths at once and leaves the chunks it touched to be measured
// by update() when the text is final: an undo step applies all its edits before the view hears
// of the first.
class LongLine
{
public:
    static constexpr qsizetype kChunkChars = 512;

    struct Chunk {
        qsizetype length = 0;
        qint64 lead = 0; // width up to the first tab, or the whole width without one
        qint64 tail = 0; // width from the stop the first tab reaches to the end
        bool hasTab = false;
        bool dirty = true;
        std::unique_ptr<QTextLayout> layout;
        qint64 layoutPhase = 0; // x of the chunk modulo the tab stop when laid out
    };

    // The line starting at position `start` of the text with `length` characters, unmeasured.
    LongLine(qsizetype start, qsizetype length);

    qsizetype start() const { return start_; }
    qsizetype length() const { return starts_.back(); }
    void moveStart(qsizetype delta) { start_ += delta; }
    // Characters [offset, offset + removed) of the line were replaced by `inserted` others.
    void edit(qsizetype offset, qsizetype removed, qsizetype inserted);
    bool isDirty() const { return firstDirty_ < int(chunks_.size()); }
    // Measures the chunks edits touched, reading the line from text, which must hold it at
    // start().
    void update(const TextBuffer& text, CharAdvances& advances);

    // Geometry, valid when the line is not dirty. x is in 1/64 pixel from the line's start.
    int chunkCount() const { return int(chunks_.size()); }
    const Chunk& chunk(int k) const { return chunks_[size_t(k)]; }
    qsizetype chunkStart(int k) const { return starts_[size_t(k)]; }
    qint64 chunkX(int k) const { return xs_[size_t(k)]; }
    qint64 width() const { return xs_.back(); }
    // The chunk holding offset: the last one starting at or before it.
    int chunkAt(qsizetype offset) const;
    // The chunk holding x: the last one starting at or before it.
    int chunkAtX(qint64 x) const;

    // A chunk's layout, if it has one laid out for the chunk's current tab phase.
    QTextLayout* layout(int k, qint64 phase) const;
    void setLayout(int k, std::unique_ptr<QTextLayout> layout, qint64 phase);
    // Drops the layouts of the chunks outside [from, to].
    void dropLayoutsOutside(int from, int to);
    int layoutCount() const { return layoutCount_; }

private:
    void dirtyFrom(int k) { firstDirty_ = std::min(firstDirty_, k); }
    // Re-splits chunks [a, b] into chunks of about kChunkChars and measures them; returns how
    // many chunks replaced them.
    int resplit(int a, int b, const TextBuffer& text, CharAdvances& advances);
    bool breaksBetweenCharacters(const TextBuffer& text, qsizetype offset) const;
    void recountStarts(int from);

    qsizetype start_ = 0;
    std::vector<Chunk> chunks_;
    std::vector<qsizetype> starts_; // chunks' first offsets, then the line's length
    std::vector<qint64> xs_;        // chunks' x, then the line's width
    int firstDirty_ = 0;            // no chunk before it is dirty
    int firstUnplaced_ = 0;         // xs_ from here on wait for update()
    int layoutCount_ = 0;
};

} // namespace tl
