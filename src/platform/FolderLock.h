// One writer at a time in a folder: Kumiro's writers that read a file and replace it
// (the Text combine's append) hold this while they do, so two of them never build on the
// same old file.
#pragma once

#include <QString>

#include <functional>

namespace kumiro {

class FolderLock {
public:
    enum Status { Held, Busy, Stopped };

    // Locks the folder itself (flock): nothing is made in it, and the kernel lets go when
    // the holder dies, so a killed run leaves nothing behind. Waits while another process
    // holds it, for at most `waitMs`, asking `stop` between tries. A folder that cannot be
    // opened for reading is not locked (Held all the same): nothing else could be done there.
    FolderLock(const QString& folder, int waitMs, const std::function<bool()>& stop);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    Status status() const { return status_; }

private:
    int fd_ = -1;
    Status status_ = Held;
};

} // namespace kumiro
