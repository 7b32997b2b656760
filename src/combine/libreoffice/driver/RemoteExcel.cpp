// Excel on an office of its own. Here: the files, the watchdog around each step and what
// is known without asking (sheet counts); the workbooks themselves are handled inside the
// office.
#include "RemoteExcel.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace kumiro::lo {

namespace {

class RemoteWorkbook;

class RemoteSheet final : public ExcelSheet {
public:
    RemoteSheet(Session& session, RemoteWorkbook& book, int index) : session_(session), book_(book), index_(index) {}
    QString Name() override;
    void Copy(ExcelSheet& after) override;

private:
    Session& session_;
    RemoteWorkbook& book_;
    int index_; // from 0
};

class RemoteWorkbook final : public ExcelWorkbook {
public:
    // `opened`: the workbook's number inside and its sheet count, as the step answered.
    RemoteWorkbook(Session& session, const Any& opened, QString path) : session_(session), path_(std::move(path))
    {
        Sequence<sal_Int32> idAndCount;
        opened >>= idAndCount;
        if (idAndCount.getLength() != 2)
            throw OfficeError(OfficeError::Internal, QStringLiteral("unexpected answer to Calc.Open"), path_);
        id_ = idAndCount[0];
        count_ = idAndCount[1];
    }

    int Sheets_Count() override { return count_; }

    ExcelSheet& Sheets(int n) override
    {
        if (n < 1 || n > count_)
            throw OfficeError(OfficeError::Failed, QStringLiteral("シート %1 はありません。").arg(n), path_);
        sheets_.push_back(std::make_unique<RemoteSheet>(session_, *this, n - 1));
        return *sheets_.back();
    }

    void SaveAs(const QString& path, ExcelFormat format) override
    {
        session_.storeWith(
            [&](const rtl::OUString& url) {
                Sequence<rtl::OUString> lost;
                session_.stepInCall(
                    "Calc.Save", {{"Book", Any(id_)}, {"Url", Any(url)}, {"Format", Any(sal_Int32(format))}}) >>= lost;
                shortfalls_.clear();
                for (const auto& sentence : lost)
                    shortfalls_ << qs(sentence);
            },
            path);
    }

    sal_Int32 id() const { return id_; }
    const QString& path() const { return path_; }
    void setCount(sal_Int32 count) { count_ = count; }
    const QStringList& shortfalls() const { return shortfalls_; }

private:
    Session& session_;
    QString path_; // empty for a new workbook
    sal_Int32 id_ = 0;
    sal_Int32 count_ = 0;
    std::vector<std::unique_ptr<RemoteSheet>> sheets_;
    QStringList shortfalls_;
};

QString RemoteSheet::Name()
{
    rtl::OUString name;
    session_.step("Calc.SheetName", {{"Book", Any(book_.id())}, {"Index", Any(sal_Int32(index_))}}, book_.path()) >>=
        name;
    return qs(name);
}

void RemoteSheet::Copy(ExcelSheet& afterSheet)
{
    auto& after = static_cast<RemoteSheet&>(afterSheet);
    sal_Int32 count = 0;
    session_.step("Calc.Copy",
                  {{"Book", Any(book_.id())},
                   {"Index", Any(sal_Int32(index_))},
                   {"Target", Any(after.book_.id())},
                   {"After", Any(sal_Int32(after.index_))}},
                  book_.path()) >>= count;
    after.book_.setCount(count);
}

// A BIFF8 workbook, by far the usual input, is known by its first bytes here; the
// office's own detection reads the file once more.
QString knownFilter(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) &&
        file.size() > 4096)
        return QStringLiteral("MS Excel 97");
    return {};
}

class RemoteExcel final : public ExcelApplication {
public:
    RemoteExcel(std::unique_ptr<Session> session, Retire retire)
        : session_(std::move(session)), retire_(std::move(retire))
    {
    }
    ~RemoteExcel() override { Quit(); }

    void SheetsInNewWorkbook(int count) override { sheetsInNewWorkbook_ = qMax(1, count); }

    ExcelWorkbook& Workbooks_Open(const QString& path) override
    {
        checkReadable(path);
        const bool csv = QFileInfo(path).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
        const rtl::OUString url = csv ? session_->utf8Copy(path, false) : session_->inputUrl(path);
        const QString filter = csv ? QString() : knownFilter(path);
        session_->noteInput(path);
        const Any opened = session_->step(
            "Calc.Open", {{"Url", Any(url)}, {"Path", Any(ou(path))}, {"Filter", Any(ou(filter))}, {"Csv", Any(csv)}},
            path);
        books_.push_back(std::make_unique<RemoteWorkbook>(*session_, opened, path));
        return *books_.back();
    }

    ExcelWorkbook& Workbooks_Add() override
    {
        const Any made = session_->step("Calc.Add", {{"Sheets", Any(sal_Int32(sheetsInNewWorkbook_))}});
        books_.push_back(std::make_unique<RemoteWorkbook>(*session_, made, QString()));
        active_ = books_.back().get();
        activeSheet_ = 0;
        return *active_;
    }

    void ActivateFirstWorksheet() override { activeSheet_ = 0; }

    // Nothing here ever asks the user.
    void DisplayAlerts(bool) override {}

    void DeleteActiveSheet() override
    {
        auto& book = static_cast<RemoteWorkbook&>(ActiveWorkbook());
        sal_Int32 count = 0;
        session_->step("Calc.Delete", {{"Book", Any(book.id())}, {"Index", Any(sal_Int32(activeSheet_))}}) >>= count;
        book.setCount(count);
    }

    QStringList Shortfalls() override { return active_ ? active_->shortfalls() : QStringList(); }

    ExcelWorkbook& ActiveWorkbook() override
    {
        if (!active_)
            throw OfficeError(OfficeError::Failed, QStringLiteral("作業中のブックがありません。"));
        return *active_;
    }

    void Quit() override
    {
        active_ = nullptr;
        books_.clear();
        finish(session_, retire_);
    }

private:
    std::unique_ptr<Session> session_;
    Retire retire_;
    std::vector<std::unique_ptr<RemoteWorkbook>> books_;
    RemoteWorkbook* active_ = nullptr;
    int activeSheet_ = 0;
    int sheetsInNewWorkbook_ = 1;
};

} // namespace

std::unique_ptr<ExcelApplication> newExcelApplication(std::unique_ptr<Session> session, Retire retire)
{
    return std::make_unique<RemoteExcel>(std::move(session), std::move(retire));
}

} // namespace kumiro::lo
