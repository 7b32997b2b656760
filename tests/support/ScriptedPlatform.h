#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

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
    // Runs as each box is shown, before it is answered: a test's way to act meanwhile.
    std::function<void(const Shown&)> onShow;
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

class ScriptedShell : public Shell {
public:
    bool hasMailHandler() override { return mailHandler; }
    bool hasBrowser() override { return browser; }
    bool open(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    bool showFile(const QString& path) override
    {
        shownFiles << path;
        return canShow;
    }

    bool mailHandler = true;
    bool browser = true;
    QList<QUrl> opened;
    QStringList shownFiles;
    bool canShow = true;
};

// A Platform made of scripted services.
struct ScriptedPlatform {
    ScriptedMessageBoxes messages;
    ScriptedFileDialogs files;
    ScriptedHelpViewer help;
    ScriptedShell shell;
    Platform platform{messages, files, help, shell};
};

} // namespace kumiro::test
