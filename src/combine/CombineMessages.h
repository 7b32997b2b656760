#pragma once

#include "Office.h"
#include "TextCombine.h"
#include "app/Kinds.h"
#include "platform/Message.h"

#include <QList>

namespace kumiro {

// What the user is told when an office command fails.
struct OfficeMessage {
    QString title;
    QString text;
};

// `destination` names where the command writes: "くみろ先" for a combine, "変換先" for a
// conversion.
OfficeMessage officeFailureMessage(const OfficeError& error, const QString& destination = QStringLiteral("くみろ先"));

// What the user is told after a Text combine, in order; nothing for a cancel. The
// completion names the output when `namesOutput`, and the inputs whose text was converted.
QList<Message> textCombineMessages(const TextCombineResult& result, const QStringList& inputs, const QString& output,
                                   bool namesOutput = false);

// The completion message of a kind's combine; `output`, when given, follows in a paragraph
// of its own, so the user knows where the file went. What the
// inputs lost on the way (`shortfalls`, a sentence an input) makes one more paragraph.
// Said once where the office runs without its box.
QString unboxedOfficeNotice();

Message combineDoneMessage(Kind kind, const QString& output = {}, const QStringList& shortfalls = {});

} // namespace kumiro
