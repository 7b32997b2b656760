#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace kumiro::test {

// Records every box and answers from a queue (OK when the queue is empty).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        MsgIcon icon;
        QString title;
        QString text;
        MsgButtons buttons;
    };
    MsgAnswer show(QWidget* parent, MsgIcon icon, const QString& title, const QString& text,
                   MsgButtons buttons) override;

    std::deque<MsgAnswer> answers;
    QList<Shown> shown;
};

class ScriptedFileDialogs : public FileDialogs {
public:
    QStringList openFiles(QWidget* parent, const FileDialogRequest& request) override;

    std::deque<QStringList> answers; // empty list: the user cancelled
    QList<FileDialogRequest> requests;
};

class ScriptedHelpViewer : public HelpViewer {
public:
    struct Call {
        QString helpFile;
        HelpCommand command;
        int context;
    };
    void show(QWidget* parent, const QString& helpFile, HelpCommand command, int context) override;

    QList<Call> calls;
};

// A Platform made of the three scripted services.
struct ScriptedPlatform {
    ScriptedMessageBoxes messages;
    ScriptedFileDialogs files;
    ScriptedHelpViewer help;
    Platform platform{messages, files, help};
};

} // namespace kumiro::test
