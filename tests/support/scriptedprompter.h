#pragma once

#include "platform/prompts.h"

#include <QList>
#include <QString>

namespace tl::test
{

// A Prompter that answers from a script and records what was asked. An unplanned question
// fails the test instead of blocking on a real dialog.
class ScriptedPrompter : public Prompter
{
public:
    MsgAnswer message(const MessageRequest& request) override;
    QString fileName(const FileRequest& request) override;
    QString fontName(const QString& proposed) override;

    // Plans the answers to the next questions, in order.
    void planAnswer(MsgAnswer answer) { answers_ << answer; }
    void planFileName(const QString& path) { files_ << path; }
    // An empty name plays a cancelled font dialog.
    void planFontName(const QString& family) { fonts_ << family; }

    QList<MessageRequest> messages;
    QList<FileRequest> fileRequests;
    // The font each font dialog opened on.
    QStringList fontProposals;
    // Set when a question came that had no planned answer.
    bool unplanned = false;

private:
    QList<MsgAnswer> answers_;
    QList<QString> files_;
    QList<QString> fonts_;
};

} // namespace tl::test
