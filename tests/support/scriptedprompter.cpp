#include "scriptedprompter.h"

#include <QtTest>

namespace tl::test
{

MsgAnswer ScriptedPrompter::message(const MessageRequest& request)
{
    messages << request;
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    // A plain OK box needs no plan.
    if (request.buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    unplanned = true;
    qWarning("Unplanned question: %s", qPrintable(request.text));
    return MsgAnswer::Cancel;
}

QString ScriptedPrompter::fileName(const FileRequest& request)
{
    fileRequests << request;
    if (!files_.isEmpty())
        return files_.takeFirst();
    unplanned = true;
    qWarning("Unplanned file dialog: %s", qPrintable(request.title));
    return {};
}

QString ScriptedPrompter::fontName(const QString& proposed)
{
    fontProposals << proposed;
    if (!fonts_.isEmpty())
        return fonts_.takeFirst();
    unplanned = true;
    qWarning("Unplanned font dialog: %s", qPrintable(proposed));
    return {};
}

int ScriptedPrompter::choose(const ChoiceRequest& request)
{
    choiceRequests << request;
    if (!choices_.isEmpty())
        return choices_.takeFirst();
    unplanned = true;
    qWarning("Unplanned choice: %s", qPrintable(request.text));
    return request.escapeChoice;
}

} // namespace tl::test
