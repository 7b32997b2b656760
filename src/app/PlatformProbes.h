#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

// The two probes as the windows call them; tests put in other editions.
struct Probes {
    std::function<QString()> windowsName = GetWindowsName;
    std::function<void(ProgramState&)> readAppearanceScheme = ReadAppearanceScheme;
};

} // namespace kumiro
