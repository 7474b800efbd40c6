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

    // Plans the answers to the next questions, in order.
    void planAnswer(MsgAnswer answer) { answers_ << answer; }
    void planFileName(const QString& path) { files_ << path; }

    QList<MessageRequest> messages;
    QList<FileRequest> fileRequests;
    // Set when a question came that had no planned answer.
    bool unplanned = false;

private:
    QList<MsgAnswer> answers_;
    QList<QString> files_;
};

} // namespace tl::test
