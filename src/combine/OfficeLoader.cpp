#include "Office.h"

#include <QFileInfo>
#include <QLibrary>

namespace kumiro {

namespace {
using Create = Office* (*)(const OfficeOptions*);
}

std::unique_ptr<Office> loadOffice(const QString& programFolder, const OfficeOptions& options)
{
    // The office driver is a module of its own, so that the program starts and says what
    // is missing when LibreOffice is not installed.
    const QString dir = options.officeProgramDir.isEmpty() ? kOfficeProgramDir : options.officeProgramDir;
    if (!QFileInfo(dir + QStringLiteral("/soffice.bin")).isExecutable())
        throw OfficeError(OfficeError::Missing, dir + QStringLiteral("/soffice.bin"));
    static QLibrary library;
    if (!library.isLoaded()) {
        const QString module = programFolder + QStringLiteral("/kumiro_libreoffice.so");
        if (!QFileInfo::exists(module))
            throw OfficeError(
                OfficeError::Setup,
                QStringLiteral("Kumiro の部品 %1 がありません。Kumiro をインストールし直して下さい。").arg(module));
        library.setFileName(module);
        if (!library.load())
            throw OfficeError(OfficeError::Setup,
                              QStringLiteral("Kumiro の部品 %1 を読み込めません。　\r\r").arg(module) +
                                  library.errorString());
    }
    const auto create = reinterpret_cast<Create>(library.resolve("kumiro_libreoffice_create"));
    if (!create)
        throw OfficeError(OfficeError::Setup,
                          QStringLiteral("Kumiro の部品が壊れています。　\r\r") + library.errorString());
    return std::unique_ptr<Office>(create(&options));
}

} // namespace kumiro
