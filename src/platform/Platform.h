#pragma once

#include "FileDialogs.h"
#include "Help.h"
#include "MessageBoxes.h"
#include "Shell.h"

namespace kumiro {

// The system services the windows use; the program passes Qt ones, tests scripted ones.
struct Platform {
    MessageBoxes& messages;
    FileDialogs& files;
    HelpViewer& help;
    Shell& shell;
};

} // namespace kumiro
