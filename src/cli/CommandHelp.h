// What `kumiro --help` and each command's --help print.
#pragma once

#include <QString>

namespace kumiro {

// The help of the program, or of one command ("combine", "convert").
QString commandLineHelp(bool japanese, const QString& topic = {});

} // namespace kumiro
