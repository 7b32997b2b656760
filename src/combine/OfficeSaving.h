#pragma once

#include "Office.h"
#include "platform/ReplaceFile.h"

#include <functional>

namespace kumiro {

// Saves through a temporary file in the target's folder renamed over the target, so that
// a failure never leaves the target half-written or gone. `save` makes the given path (it
// does not exist yet) only when its content is complete. A folder that cannot be written is
// told before `save` runs.
// With OldFile::Keep a file that was there is moved to the trash (or beside): where it went
// is returned.
QString saveReplacing(const QString& target, const std::function<void(const QString&)>& save,
                      OldFile old = OldFile::Replace);
// Refuses, before any input is read, an output path that no file may be written at (a
// folder, a FIFO, a device, a link someone else planted) or that is one of the inputs:
// OfficeError(OutputFile).
void refuseUnwritableOutput(const QString& target, const QStringList& inputs);

// Why a combine does not write into one of its own inputs, in the user's words.
QString outputIsInputReason();
// Once the output is saved the command has done its work: an office that fails while it is
// closed (it is ended and reaped anyway) must not turn the result into a failure.
inline void closeAfterSaving(const std::function<void()>& close)
{
    try {
        close();
    } catch (const OfficeError&) {
    }
}

inline QString saveReplacing(WordDocument& doc, const QString& target, WordFormat format,
                             OldFile old = OldFile::Replace)
{
    return saveReplacing(
        target, [&](const QString& path) { doc.SaveAs(path, format); }, old);
}

} // namespace kumiro
