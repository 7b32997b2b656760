#include "OfficeSaving.h"
#include "platform/OutputPath.h"

#include "platform/FileModes.h"
#include "platform/ReplaceFile.h"

#include <QFileInfo>

namespace kumiro {

QString outputIsInputReason()
{
    return QStringLiteral("くみろするファイルの 1 つです。　別のファイル名を指定して下さい。");
}

void refuseUnwritableOutput(const QString& target, const QStringList& inputs)
{
    if (const QString refusal = outputRefusal(target); !refusal.isEmpty())
        throw OfficeError(OfficeError::OutputFile, refusal, target);
    if (inputIndexOf(target, inputs) >= 0)
        throw OfficeError(OfficeError::OutputFile, outputIsInputReason(), target);
}

QString saveReplacing(const QString& target, const std::function<void(const QString&)>& save, OldFile old)
{
    const ReplaceResult r = replaceFile(
        target,
        [&](const QString& temp) {
            try {
                save(temp);
            } catch (const OfficeError& e) {
                // The user knows the file by its own name, not the temporary one.
                throw OfficeError(e.kind(), e.what(), e.file() == temp ? target : e.file());
            }
            giveUsualPermissions(temp, target);
            return QString();
        },
        old);
    if (r.status == ReplaceResult::FolderNotWritable)
        throw OfficeError(OfficeError::OutputFolder, r.reason, QFileInfo(target).absolutePath());
    if (!r.ok())
        throw OfficeError(OfficeError::OutputFile, r.reason, target);
    return r.oldFile;
}

} // namespace kumiro
