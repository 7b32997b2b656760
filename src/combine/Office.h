#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace kumiro {

// A failed office call: what went wrong, in words for the user.
class OfficeError {
public:
    enum Kind {
        Failed, // the office refused the call
        Unreadable, // an input that is missing, unreadable or of the wrong kind
        Hung, // the office stopped answering and was ended
        Crashed, // the office went away
        Missing, // no office installed
        Setup, // the office or our driver for it cannot be started; what() says why
        OutputFolder, // the output's folder cannot be written; file() is the folder
        OutputFile, // the output file cannot be written; file() is the file
        Internal, // a fault of Kumiro's own, in its component inside the office; what() says where
    };
    OfficeError(Kind kind, QString what, QString file = {})
        : kind_(kind), what_(std::move(what)), file_(std::move(file))
    {
    }
    Kind kind() const { return kind_; }
    const QString& what() const { return what_; }
    const QString& file() const { return file_; }

private:
    Kind kind_;
    QString what_;
    QString file_;
};

// The automation operations the combines and the conversion use, one per call they make.
// Every operation throws OfficeError when it fails.

// Word 97 .doc, plain text, RTF, Word 2007 .docx, OpenDocument .odt, PDF
enum class WordFormat { Native, Text, RichText, Docx, Odt, Pdf };
// Excel 97 .xls, Excel 2007 .xlsx, OpenDocument .ods
enum class ExcelFormat { Xls, Xlsx, Ods };

// The format a file name's extension asks for; anything unknown is the Word 97 or Excel 97 one.
WordFormat wordFormatFor(const QString& path);
// "doc", "txt", "rtf", "docx", "odt", "pdf"
QString extensionOf(WordFormat format);
ExcelFormat excelFormatFor(const QString& path);
inline constexpr int kSectionBreakNextPage = 2;

class WordDocument {
public:
    virtual ~WordDocument() = default;
    // Paragraphs.Last.Range.InsertBefore
    virtual void InsertBeforeLastParagraph(const QString& text) = 0;
    // SaveAs, replacing a file of that name.
    virtual void SaveAs(const QString& path, WordFormat format) = 0;
    virtual void Close() = 0;
};

// The insertion point of the document made by Documents_Add.
class WordSelection {
public:
    virtual ~WordSelection() = default;
    virtual void InsertFile(const QString& path) = 0;
    virtual void InsertBreak(int type) = 0;
};

class WordApplication {
public:
    virtual ~WordApplication() = default; // ends the instance if Quit was not reached
    virtual WordDocument& Documents_Add() = 0;
    virtual WordDocument& Documents_Open(const QString& path) = 0;
    virtual WordSelection& Selection() = 0;
    // What the inserted files lost on the way, one sentence a file for the user; nothing
    // when all arrived.
    virtual QStringList Shortfalls() { return {}; }
    virtual void Quit() = 0;
};

class ExcelSheet {
public:
    virtual ~ExcelSheet() = default;
    virtual QString Name() = 0;
    // Copy with After: a copy of this sheet placed after `after`, in after's workbook,
    // named as Excel names copies.
    virtual void Copy(ExcelSheet& after) = 0;
};

class ExcelWorkbook {
public:
    virtual ~ExcelWorkbook() = default;
    virtual int Sheets_Count() = 0;
    virtual ExcelSheet& Sheets(int n) = 0; // n from 1
    // SaveAs in the format, replacing a file of that name.
    virtual void SaveAs(const QString& path, ExcelFormat format) = 0;
};

class ExcelApplication {
public:
    virtual ~ExcelApplication() = default; // ends the instance if Quit was not reached
    virtual void SheetsInNewWorkbook(int count) = 0;
    virtual ExcelWorkbook& Workbooks_Open(const QString& path) = 0;
    virtual ExcelWorkbook& Workbooks_Add() = 0; // becomes the active workbook
    virtual void ActivateFirstWorksheet() = 0; // Worksheets(1).Activate in the active workbook
    virtual void DisplayAlerts(bool on) = 0;
    virtual void DeleteActiveSheet() = 0;
    virtual ExcelWorkbook& ActiveWorkbook() = 0;
    // What the copied sheets lost on the way, one sentence a source workbook for the user,
    // known once the active workbook is saved; nothing when all arrived.
    virtual QStringList Shortfalls() { return {}; }
    virtual void Quit() = 0;
};

// Makes new, invisible application instances.
class Office {
public:
    virtual ~Office() = default;
    virtual std::unique_ptr<WordApplication> newWord() = 0;
    virtual std::unique_ptr<ExcelApplication> newExcel() = 0;
    // Starts the next instance's office now, in the background, so that the next newWord()
    // or newExcel() finds it ready; each instance still gets an office of its own. Failures
    // wait for the instance that would use it.
    virtual void prepare() {}
    // Whether an office started by prepare() is waiting (running or starting).
    virtual bool prepared() const { return false; }
    // Whether that office has started and waits.
    virtual bool ready() const { return false; }
    // Whether the office runs outside its box, because the system cannot make one: a file
    // that refers to another may then make the office read it.
    virtual bool unboxed() const { return false; }
};

// LibreOffice's program folder (soffice.bin, the UNO libraries), as the build was told.
inline const QString kOfficeProgramDir = QStringLiteral(KUMIRO_OFFICE_PROGRAM_DIR);

struct OfficeOptions {
    // A call that has not returned in this time ends the office; 0: a busy office may work
    // as long as the user lets it (the progress window's cancel).
    int callTimeoutMs = 0;
    // An office that makes no progress in a call for this time (no CPU time, or stopped) is
    // ended: it is frozen.
    int stallTimeoutMs = 10000;
    // The memory the office may use; 0: a quarter of the machine's, between 1 and 4 GiB.
    qint64 memoryLimitBytes = 0;
    // Set to a signal number when the program is asked to end: the office is ended at once.
    const std::atomic<int>* interrupt = nullptr;
    // Set while the user asks the command to stop: a call still under way 5 s later ends
    // the office (a command is otherwise stopped between its calls).
    const std::atomic<bool>* stop = nullptr;
    // Run the office in a box that sees only its own private folder, where the system can.
    bool boxed = true;
    QString officeProgramDir; // empty: the system's LibreOffice
    QString cacheDir; // where the prepared profile is kept; empty: the user's cache
};

// The LibreOffice office, loaded from the program folder; throws OfficeError(Missing) with
// a message for the user when LibreOffice is not installed.
std::unique_ptr<Office> loadOffice(const QString& programFolder, const OfficeOptions& options = {});

} // namespace kumiro
