#pragma once

#include "core/textbuffer.h"
#include "core/textencoding.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <vector>

namespace tl
{

// Characters [from, to) shown in a colour other than the text colour (stamped lines).
struct ColorRun {
    qsizetype from = 0;
    qsizetype to = 0;
    QColor color;
    bool operator==(const ColorRun&) const = default;
};

// One page being edited: its text, the selection, the on-screen colours, and what is known of
// its file. The edit box is a view of a Document: it draws it and turns keys and clicks into
// its edits. Every edit goes through here, so the caret, the selection and the colours follow
// each edit by one rule (TextChange::map), and no widget is needed to test any of it.
class Document : public QObject
{
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    // ---- Text ----
    const TextBuffer& buffer() const { return buffer_; }
    qsizetype length() const { return buffer_.length(); }
    QString text() const { return buffer_.text(); }
    QString mid(qsizetype pos, qsizetype count) const { return buffer_.mid(pos, count); }
    QChar at(qsizetype pos) const { return buffer_.at(pos); }
    int lineCount() const { return buffer_.lineCount(); }
    // Lines count from 0 here (the program's line numbers, from 1, are LineNumberAt's).
    qsizetype lineStart(int line) const { return buffer_.lineStart(line); }
    qsizetype lineEnd(int line) const { return buffer_.lineEnd(line); }
    int lineOf(qsizetype pos) const { return buffer_.lineOf(pos); }
    QString lineText(int line) const { return buffer_.lineText(line); }
    qsizetype snap(qsizetype pos) const { return buffer_.snap(pos); }
    // See TextBuffer::view: valid until the next edit or the next view() the gap splits.
    QStringView view(qsizetype pos, qsizetype count) { return buffer_.view(pos, count); }
    // The text and its kept forms as they are now, to be read on another thread.
    TextSnapshot snapshot() { return buffer_.snapshot(); }

    // Replaces the whole text as a fresh page: the caret at the start, no colours, the undo
    // history empty, unmodified.
    void setText(QStringView text);

    // ---- Selection ----
    qsizetype anchor() const { return anchor_; }
    qsizetype caret() const { return caret_; }
    SelectionRange selection() const { return {anchor_, caret_}; }
    qsizetype selectionStart() const { return std::min(anchor_, caret_); }
    qsizetype selectionEnd() const { return std::max(anchor_, caret_); }
    bool hasSelection() const { return anchor_ != caret_; }
    QString selectedText() const
    {
        return mid(selectionStart(), selectionEnd() - selectionStart());
    }
    // Positions are clamped to the text and moved off the middle of a CR LF or surrogate pair.
    // Ends a run of typing: the next typed character starts a new undo step.
    void setSelection(qsizetype anchor, qsizetype caret);

    // ---- Editing ----
    using Merge = TextBuffer::Merge;
    // Replaces [pos, pos + count) by text as one undo step. The caret and the anchor follow the
    // text around them. variants: the new text's kept forms (see TextBuffer::replace).
    void replace(qsizetype pos, qsizetype count, QStringView text, Merge merge = Merge::No,
                 const ByteVariants& variants = {});
    // The same, then the caret goes after the new text with nothing selected.
    void replaceAndPlaceCaret(qsizetype pos, qsizetype count, QStringView text,
                              Merge merge = Merge::No, const ByteVariants& variants = {});
    // Replaces the selection (or inserts at the caret); the caret after the new text.
    void replaceSelection(QStringView text, const ByteVariants& variants = {})
    {
        replaceAndPlaceCaret(selectionStart(), selectionEnd() - selectionStart(), text, Merge::No,
                             variants);
    }
    // Replaces `found` at each of `places` (ascending, not overlapping) by text, as one undo
    // step in one pass; places not holding `found` are skipped. Returns how many were replaced.
    qsizetype replaceEach(const std::vector<qsizetype>& places, QStringView found,
                          QStringView text);
    // Undo puts back the selection the step started from; redo puts the caret after the step.
    void undo();
    void redo();
    bool canUndo() const { return buffer_.canUndo(); }
    bool canRedo() const { return buffer_.canRedo(); }
    void clearUndo() { buffer_.clearUndo(); }
    void beginUndoGroup() { buffer_.beginUndoGroup(); }
    void endUndoGroup() { buffer_.endUndoGroup(); }
    void breakMerge() { buffer_.breakMerge(); }

    // Modified: the text differs from what was last loaded or saved. Undoing back to that point
    // makes the page unmodified again.
    bool isModified() const { return buffer_.isModified(); }
    void setModified(bool modified);

    // ---- Colours ----
    // Colours [from, to); black (the text colour) removes the colouring. The colouring is not
    // part of the text: it never marks it modified and never enters the undo history. Inserted
    // text takes the colour of the character before it, as in a rich-text box, so a stamped
    // line stays coloured whole while it is typed on.
    void setTextColor(qsizetype from, qsizetype to, const QColor& color);
    QColor textColorAt(qsizetype pos) const;
    void clearTextColors();
    const std::vector<ColorRun>& colorRuns() const { return colors_; }

    // ---- The file ----
    // The page's file; empty while untitled.
    const QString& path() const { return path_; }
    // A page never saved. Its caption starts with "無題", but a page whose file name starts
    // with those characters is not untitled: only this flag says so.
    bool isUntitled() const { return path_.isEmpty(); }
    void setPath(const QString& path) { path_ = path; }
    const TextEncoding& encoding() const { return encoding_; }
    void setEncoding(const TextEncoding& encoding)
    {
        encoding_ = encoding;
        Q_EMIT encodingChanged();
    }
    // Characters the file wrote in another CP932 form than the page's usual one; they follow
    // the edits (see TextBuffer::byteVariants). setText empties them.
    const ByteVariants& byteVariants() const { return buffer_.byteVariants(); }
    // Those of the selection, their positions relative to its start.
    ByteVariants selectedByteVariants() const
    {
        return buffer_.byteVariantsIn(selectionStart(), selectionEnd());
    }
    void setByteVariants(ByteVariants forms) { buffer_.setByteVariants(std::move(forms)); }
    // The file at this path held bytes that could not be decoded (the user is asked once before
    // that file is overwritten); empty when none.
    const QString& undecodableFile() const { return undecodableFile_; }
    void setUndecodableFile(const QString& path) { undecodableFile_ = path; }
    // The file at this path would not get back the bytes it was read from (its charset can
    // write the same text in other bytes); place says where they first differ, in words. The
    // user is asked once before that file is overwritten; empty when nothing differs.
    const QString& inexactFile() const { return inexactFile_; }
    const QString& inexactPlace() const { return inexactPlace_; }
    void setInexactFile(const QString& path, const QString& place = {})
    {
        inexactFile_ = path;
        inexactPlace_ = path.isEmpty() ? QString() : place;
    }

Q_SIGNALS:
    // After each change of the text, with the caret, selection and colours already following
    // it. One edit can bring several (an undo step of many changes).
    void changed(const tl::TextChange& change);
    // After each whole edit (one command, one key), once its changes are all reported.
    void edited();
    // The whole text was replaced (setText).
    void textReset();
    // setModified was called: the page was loaded, saved or put back as modified.
    void modifiedSet(bool modified);
    // The caret or the anchor moved.
    void selectionChanged(qsizetype oldAnchor, qsizetype oldCaret);
    void colorsChanged();
    // setEncoding was called: the page was opened, saved or is to be saved another way.
    void encodingChanged();

private:
    // Reports the changes of one edit and places the selection; caret < 0 keeps the followed one.
    void finishEdit(const std::vector<TextChange>& changes, SelectionRange after);
    void followColors(const TextChange& change);

    TextBuffer buffer_;
    qsizetype anchor_ = 0;
    qsizetype caret_ = 0;
    std::vector<ColorRun> colors_;
    QString path_;
    TextEncoding encoding_;
    QString undecodableFile_;
    QString inexactFile_;
    QString inexactPlace_;
};

} // namespace tl
