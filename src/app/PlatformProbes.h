#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace kumiro {

// The edition name for a version record; empty for families it does not know.
QString windowsNameFor(unsigned platformId, unsigned major, unsigned minor);

// The running Windows edition; empty on other systems.
QString GetWindowsName();

// The text of a registry string value of byteCount bytes, terminating zero included.
QString schemeFromValue(const QByteArray& buffer, unsigned byteCount);

// The user's appearance scheme into `scheme`, where the system has one.
void ReadAppearanceScheme(QString& scheme);

// The two probes as the windows call them; tests put in other editions.
struct Probes {
    std::function<QString()> windowsName = GetWindowsName;
    std::function<void(QString&)> readAppearanceScheme = ReadAppearanceScheme;
};

} // namespace kumiro
