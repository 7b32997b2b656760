#pragma once

#include "combine/Office.h"
#include "platform/Mounts.h"

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace kumiro {

struct Platform;
struct ProgramState;
class OfficeRunner;

// The main window's Data menu: conversion, copy, rename, backup and delete, each from its
// file dialog to its completion message.
class DataMenu {
public:
    struct Window {
        QWidget* owner;
        // Shows a modal dialog (tests drive them without a modal loop).
        const std::function<void(QDialog&)>& execModal;
        // The removable disks mounted now, where the backup can write.
        const std::function<QList<Volume>()>& backupMedia;
        // The lists follow the listed folder after a command changed it.
        std::function<void()> followFolder;
    };
    DataMenu(ProgramState& state, Platform& platform, OfficeRunner& office, Window window);

    void convert(WordFormat to);
    void copy();
    void rename();
    void backup();
    void remove();

private:
    // Where the file dialogs open: the program folder when it is the user's to write in,
    // else the current kind's data folder.
    QString dialogFolder() const;
    // The shared file dialog for copy, rename and delete: one file of any kind or output
    // format, opened in dialogFolder().
    QString chooseDataFile(const QString& title);
    // Copy and rename: a file chosen in the shared dialog, then the dialog for its new name.
    template <typename Dialog> void askForNewName(const QString& title);

    ProgramState& state_;
    Platform& platform_;
    OfficeRunner& office_;
    Window window_;
};

} // namespace kumiro
