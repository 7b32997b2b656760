#pragma once

#include <QString>

#include <functional>

namespace kumiro {

struct ReplaceResult {
    enum Status { Done, FolderNotWritable, WriteFailed, RenameFailed };
    Status status = Done;
    QString reason; // in the user's words, when not done
    bool ok() const { return status == Done; }
};

// Makes `target` whole or not at all: `write` makes the temporary path it is given, in the
// target's folder, and answers an empty reason when it succeeded; only then is the temporary
// renamed over the target. The temporary is removed when anything fails, `write` throwing
// included (the exception goes on). A folder that cannot be written is told before `write`.
ReplaceResult replaceFile(const QString& target, const std::function<QString(const QString& temp)>& write);

} // namespace kumiro
