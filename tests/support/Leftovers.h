#pragma once

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <unistd.h>

namespace kumiro::test {

// The pipes (or, for an office in its box, the links to them) that the offices of process
// `pid` made in /tmp: none should be left once they are gone. Only that process's, so that
// another office on the machine cannot fail a test.
inline QStringList pipesOf(pid_t pid)
{
    return QDir(QStringLiteral("/tmp"))
        .entryList({QStringLiteral("OSL_PIPE_%1_kumiro_%2_*").arg(getuid()).arg(pid)}, QDir::System | QDir::Files);
}

// The office's own temporaries ("lu" + letters + ".tmp") in a folder.
inline QStringList officeTemporaries(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^lu[0-9A-Za-z]+\\.tmp$"));
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).filter(name);
}

} // namespace kumiro::test
