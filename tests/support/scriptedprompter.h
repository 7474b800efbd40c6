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
    int choose(const ChoiceRequest& request) override;

    // Plans the answers to the next questions, in order.
    void planAnswer(MsgAnswer answer) { answers_ << answer; }
    void planFileName(const QString& path) { files_ << path; }
    // An empty name plays a cancelled font dialog.
    void planFontName(const QString& family) { fonts_ << family; }
    // The index of the button to press on the next choice question.
    void planChoice(int index) { choices_ << index; }

    QList<MessageRequest> messages;
    QList<FileRequest> fileRequests;
    QList<ChoiceRequest> choiceRequests;
    // The font each font dialog opened on.
    QStringList fontProposals;
    // Set when a question came that had no planned answer.
    bool unplanned = false;

private:
    QList<MsgAnswer> answers_;
    QList<QString> files_;
    QList<QString> fonts_;
    QList<int> choices_;
};

} // namespace tl::test
