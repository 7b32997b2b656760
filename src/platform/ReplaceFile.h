#pragma once

#include <QString>

#include <functional>

namespace kumiro {

struct ReplaceResult {
    enum Status { Done, FolderNotWritable, WriteFailed, RenameFailed };
    Status status = Done;
    QString reason; // in the user's words, when not done
    QString oldFile; // where the file that was there went (OldFile::Keep), when there was one
    bool ok() const { return status == Done; }
};

// What becomes of a file that is there already: replaced (a combined file, whose way back
// is the backup), or kept: moved to the desktop's trash, or where there is none, beside the
// new one as "name (2).ext".
enum class OldFile { Replace, Keep };

// Makes `target` whole or not at all: `write` makes the temporary path it is given, in the
// target's folder, and answers an empty reason when it succeeded; only then is the temporary
// renamed over the target. The temporary is removed when anything fails, `write` throwing
// included (the exception goes on). A folder that cannot be written is told before `write`.
ReplaceResult replaceFile(const QString& target, const std::function<QString(const QString& temp)>& write,
                          OldFile old = OldFile::Replace);

// The words that tell the user where a kept old file went, or nothing.
QString oldFileText(const QString& target, const QString& oldFile);

} // namespace kumiro
