// The office on LibreOffice and the module's entry point: each Word or Excel on an office
// of its own, started from the prepared profile.
#include "Calc.h"
#include "OfficeProcess.h"
#include "Profile.h"
#include "Writer.h"
#include "combine/Office.h"
#include "platform/Leftovers.h"

namespace kumiro::lo {

// Word and Excel for the combines, each started on an office of its own.
class LibreOfficeOffice final : public Office {
public:
    explicit LibreOfficeOffice(OfficeOptions options) : options_(std::move(options)), cache_(options_)
    {
        // Before any office of ours starts: what a killed Kumiro left goes.
        sweepLeftovers();
    }

    std::unique_ptr<WordApplication> newWord() override
    {
        return newWordApplication(options_, cache_.preparedProfile());
    }

    std::unique_ptr<ExcelApplication> newExcel() override
    {
        return newExcelApplication(options_, cache_.preparedProfile());
    }

private:
    OfficeOptions options_;
    ProfileCache cache_;
};

} // namespace kumiro::lo

extern "C" Q_DECL_EXPORT kumiro::Office* kumiro_libreoffice_create(const kumiro::OfficeOptions* options)
{
    return new kumiro::lo::LibreOfficeOffice(options ? *options : kumiro::OfficeOptions{});
}
