// A window asked for where there is no display: one line on standard error and exit status
// 1, never Qt's abort (status 134 and its advice to reinstall the program).
#pragma once

#include <QStringList>

namespace kumiro {

// Why the window cannot open, told before Qt tries: the platform named by "-platform" or
// QT_QPA_PLATFORM needs a display that the environment does not name (xcb: DISPLAY,
// wayland: WAYLAND_DISPLAY; without a platform, either). Empty when it may open. Only the
// environment is read: a display that is named but not there is caught by WindowStartGuard.
QString missingDisplay(const QStringList& arguments, bool japanese);

// Around the making of the QApplication: Qt's fatal error there (it cannot reach the
// display) becomes one line and exit status 1. Qt's warnings meanwhile are held back and
// shown once the window system has started.
class WindowStartGuard {
public:
    explicit WindowStartGuard(bool japanese);
    ~WindowStartGuard();
    WindowStartGuard(const WindowStartGuard&) = delete;
    WindowStartGuard& operator=(const WindowStartGuard&) = delete;
};

// "kumiro: cannot open the window: REASON" in the locale's language, on standard error.
void sayWindowCannotOpen(const QString& reason, bool japanese);

} // namespace kumiro
