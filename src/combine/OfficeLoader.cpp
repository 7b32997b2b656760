#include "Office.h"

#include <QFileInfo>
#include <QLibrary>

#include <memory>
#include <vector>

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
        // The driver has no run path: its UNO libraries are loaded from the office's own
        // folder first, where UNO looks for the rest of itself.
        static std::vector<std::unique_ptr<QLibrary>> uno;
        for (const char* name : {"libuno_sal.so.3", "libuno_cppu.so.3", "libuno_cppuhelpergcc3.so.3"}) {
            auto lib = std::make_unique<QLibrary>(dir + u'/' + QLatin1String(name));
            if (!lib->load())
                throw OfficeError(
                    OfficeError::Setup,
                    QStringLiteral("LibreOffice の部品 %1 を読み込めません。　\r\r").arg(QLatin1String(name)) +
                        lib->errorString());
            uno.push_back(std::move(lib));
        }
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

QString extensionOf(WordFormat format)
{
    switch (format) {
    case WordFormat::Native: return QStringLiteral("doc");
    case WordFormat::Text: return QStringLiteral("txt");
    case WordFormat::RichText: return QStringLiteral("rtf");
    case WordFormat::Docx: return QStringLiteral("docx");
    case WordFormat::Odt: return QStringLiteral("odt");
    case WordFormat::Pdf: return QStringLiteral("pdf");
    }
    return QStringLiteral("doc");
}

WordFormat wordFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (WordFormat f : {WordFormat::Text, WordFormat::RichText, WordFormat::Docx, WordFormat::Odt, WordFormat::Pdf}) {
        if (extensionOf(f) == suffix)
            return f;
    }
    return WordFormat::Native;
}

ExcelFormat excelFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xlsm")
        return ExcelFormat::Xlsx;
    if (suffix == u"ods")
        return ExcelFormat::Ods;
    return ExcelFormat::Xls;
}

} // namespace kumiro
