#pragma once

#include "reedit/tagrecognizer.h"

class QTextDocument;

namespace tl {

// The edit box's document as the tag recognizer reads it, without copying the whole text
// (which on a 400,000-line page takes a tenth of a second): a line is a block, found through
// the block structure, and the search for a closing marker reads block after block from the
// tag's "<" on. Positions count a line break as CR LF, like the edit box adapter's.
class DocumentTagText final : public TagText {
public:
    explicit DocumentTagText(const QTextDocument& doc) : doc_(doc) {}
    QString Line(qint64 caret, qint64* lineStart) const override;
    qint64 Find(QStringView marker, qint64 from) const override;
    QString Mid(qint64 pos, qint64 length) const override;

private:
    const QTextDocument& doc_;
};

} // namespace tl
