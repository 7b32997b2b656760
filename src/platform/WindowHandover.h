// One window a user: a second `kumiro FILE...` ("open with" from a file manager) hands its
// files to the window that runs, over a local socket in the user's own runtime folder, and
// ends; the window takes them as if they were opened there.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace kumiro {

// The socket's path, one a display: in the user's runtime folder (XDG_RUNTIME_DIR, which
// only the user may enter), else in the temporary folder under the user's id. Empty where
// no display is named: nothing is handed over there.
QString handoverSocketPath();

// Gives the files to the window that runs; true once it has taken them, false when no
// window answers within `timeoutMs`.
bool handOverFiles(const QStringList& files, int timeoutMs = 3000);

// The window's side: files handed over by a later start go to `received`.
class WindowHandover : public QObject {
    Q_OBJECT
public:
    explicit WindowHandover(std::function<void(const QStringList&)> received, QObject* parent = nullptr);
    // Listens, taking over a socket that no window answers on any more; false when it
    // cannot (another window listens, or the folder cannot be written).
    bool listen();

private:
    void take();

    std::function<void(const QStringList&)> received_;
    QLocalServer* server_;
};

} // namespace kumiro
