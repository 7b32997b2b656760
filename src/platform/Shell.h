#pragma once

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
};

class DesktopShell : public Shell {
public:
    bool hasMailHandler() override;
    bool hasBrowser() override;
    bool open(const QUrl& url) override;
};

} // namespace kumiro
