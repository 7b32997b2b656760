#include "ScriptedPlatform.h"
#include "Controls.h"

namespace kumiro::test {

MsgAnswer ScriptedMessageBoxes::show(QWidget*, MsgIcon icon, const QString& title, const QString& text,
                                     MsgButtons buttons)
{
    shown.append({icon, title, text, buttons});
    if (onShow)
        onShow(shown.last());
    if (answers.empty())
        return MsgAnswer::Ok;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

QStringList ScriptedFileDialogs::openFiles(QWidget*, const FileDialogRequest& request)
{
    requests.append(request);
    if (answers.empty())
        return {};
    QStringList a = answers.front();
    answers.pop_front();
    return a;
}

void ScriptedHelpViewer::show(QWidget*, const QString& helpFile, HelpCommand command, int context)
{
    calls.append({helpFile, command, context});
}

} // namespace kumiro::test

namespace kumiro::test {

void noSuchControl(const QString& name, bool twice)
{
    qFatal(twice ? "two controls are named %s" : "no control is named %s", qPrintable(name));
}

} // namespace kumiro::test
