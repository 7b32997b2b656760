#pragma once

#include "Office.h"

namespace kumiro {

// What the user is told when an office command fails.
struct OfficeMessage {
    QString title;
    QString text;
};

OfficeMessage officeFailureMessage(const OfficeError& error);

} // namespace kumiro
