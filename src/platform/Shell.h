#pragma once

#include <QString>
#include <QUrl>

namespace kumiro {

// Opening addresses with the programs the user registered for them; never through a shell
// command line.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool hasMailHandler() = 0;
    virtual bool hasBrowser() = 0;
    virtual bool open(const QUrl& url) = 0;
    // The file shown selected in the file manager, else its folder opened; false when
    // neither could be done.
    virtual bool showFile(const QString& path) = 0;
};

// Asks the file manager on the session bus (org.freedesktop.FileManager1, which most file
// managers offer and the bus starts when needed) to show the file selected; false when no
// file manager answered within `timeoutMs`.
bool showInFileManager(const QString& path, int timeoutMs = 8000);

class DesktopShell : public Shell {
public:
    bool hasMailHandler() override;
    bool hasBrowser() override;
    bool open(const QUrl& url) override;
    bool showFile(const QString& path) override;
};

} // namespace kumiro
