#pragma once

#include "Office.h"

namespace kumiro {

// What the user is told when an office command fails.
struct OfficeMessage {
    QString title;
    QString text;
};

// `destination` names where the command writes: "くみろ先" for a combine, "変換先" for a
// conversion.
OfficeMessage officeFailureMessage(const OfficeError& error,
                                   const QString& destination = QStringLiteral("くみろ先"));

} // namespace kumiro
