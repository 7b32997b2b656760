#pragma once

#include <QByteArray>
#include <QString>

namespace kumiro {

struct ProgramState;

// The edition name for a version record; empty for families it does not know.
QString windowsNameFor(unsigned platformId, unsigned major, unsigned minor);

// The running Windows edition; empty on other systems.
QString GetWindowsName();

// The text of a registry string value of byteCount bytes, terminating zero included.
QString schemeFromValue(const QByteArray& buffer, unsigned byteCount);

// Sets AppearanceScheme from the user's appearance settings where the system has them.
void ReadAppearanceScheme(ProgramState& state);

} // namespace kumiro
