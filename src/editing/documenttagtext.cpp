#include "editing/documenttagtext.h"

#include "editbox/maintextedit.h"
#include "reedit/markersearch.h"

#include <algorithm>

namespace tl
{

QString DocumentTagText::Line(qint64 caret, qint64* lineStart) const
{
    const int line = edit_->lineOf(std::clamp<qint64>(caret, 0, edit_->length()));
    *lineStart = edit_->lineStart(line);
    return edit_->lineText(line);
}

qint64 DocumentTagText::Find(QStringView marker, qint64 from) const
{
    const qint64 start = std::clamp<qint64>(from, 0, edit_->length());
    const QStringView rest = edit_->view(start, edit_->length() - start);
    const qsizetype at = IndexOfNoCase(rest, marker);
    return at < 0 ? -1 : start + at;
}

QString DocumentTagText::Mid(qint64 pos, qint64 length) const
{
    return edit_->mid(pos, length);
}

} // namespace tl
