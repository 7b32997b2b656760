#pragma once

#include "combine/Office.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

namespace kumiro::test {

// Reads office files back without Kumiro's own code: the command-line office of the
// system, with a profile of its own, turns them into flat XML that is parsed here.
class OfficeCheck {
public:
    OfficeCheck();
    // Converts a file with `soffice --convert-to`; returns the new file's path, or empty.
    QString convert(const QString& path, const QString& format, const QString& outDir);

    struct Document {
        QStringList blocks; // "p:text", "h:text", "table" in body order
        QStringList masters; // the page style starting each section, in order
        QStringList pageSizes; // "width x height" of each of those page styles
        QStringList pageMargins; // "left right top bottom" of each of those page styles
        QStringList looks; // "font size / Asian font size" of each block's paragraph style
        int pageCount = 0;
        int tables = 0;
        int images = 0;
        int footnotes = 0;
        QStringList headers; // text of every header and footer of the page styles used
        QStringList boldHeaders; // those of them with bold text
        QString lastParagraph; // text of the last paragraph with text
    };
    // Reads a document (any format the office reads) back as flat XML.
    Document read(const QString& path);

private:
    QTemporaryDir profile_;
    QTemporaryDir work_;
};

// The error a command throws, or Failed "<no error>" when it throws none.
template <typename F> OfficeError failureOf(F&& f)
{
    try {
        f();
    } catch (const OfficeError& e) {
        return e;
    }
    return OfficeError(OfficeError::Failed, QStringLiteral("<no error>"));
}

// The soffice.bin that `parent` started (directly or in its box), or -1.
pid_t officeOf(pid_t parent);
// Sends `signal` to this process's office; false when there is none. (kill(-1, …) would
// reach every process of the user: the test runner and the X server with it.)
bool signalOurOffice(int signal);

// The offices this process runs right now, and the private profiles it has.
int officeProcessCount();
int officeProfileCount();

} // namespace kumiro::test
