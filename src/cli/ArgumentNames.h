// The command line's words as the program uses them. A word that is not text in the
// locale's encoding (a file name in Shift-JIS on a UTF-8 system) would lose bytes as a
// QString: it is given instead as a link in a private folder that points at the file by its
// raw bytes, and shown escaped ("\x83\x65") in messages.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kumiro {

struct ArgumentNames {
    QStringList words;
    QList<QPair<QString, QString>> aliases; // the link's path, the word as shown
    std::unique_ptr<QTemporaryDir> folder; // the links, removed with it

    bool isAlias(const QString& path) const;
    // A message with every link's path replaced by the word it stands for.
    QString shown(QString text) const;
};

// argv[1..argc-1].
ArgumentNames argumentNames(int argc, char** argv);

// Bytes that are not text in the locale's encoding as "\xNN", the rest as they are.
QString escapedName(const QByteArray& raw);

} // namespace kumiro
