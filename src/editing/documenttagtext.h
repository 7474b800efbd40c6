#pragma once

#include "reedit/tagrecognizer.h"

namespace tl
{

class MainTextEdit;

// The edit box's text as the tag recognizer reads it, without copying the whole text (which on
// a 400,000-line page takes a tenth of a second): the line comes from the box's line index and
// the search for a closing marker runs over the box's own buffer. Positions count a line break
// as CR LF, like the box's.
class DocumentTagText final : public TagText
{
public:
    explicit DocumentTagText(MainTextEdit& edit) : edit_(&edit) {}
    QString Line(qint64 caret, qint64* lineStart) const override;
    qint64 Find(QStringView marker, qint64 from) const override;
    QString Mid(qint64 pos, qint64 length) const override;

private:
    MainTextEdit* edit_;
};

} // namespace tl
