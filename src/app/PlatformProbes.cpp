#include "PlatformProbes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kumiro {

QString windowsNameFor(unsigned platformId, unsigned major, unsigned minor)
{
    if (platformId == 1) {
        if (minor == 0)
            return QStringLiteral("Windows 95");
        if (minor == 10)
            return QStringLiteral("Windows 98");
        return QStringLiteral("Windows Me");
    }
    if (platformId == 2) {
        if (major == 4)
            return QStringLiteral("Windows NT");
        return minor == 0 ? QStringLiteral("Windows 2000") : QStringLiteral("Windows XP");
    }
    return QString();
}

QString GetWindowsName()
{
#ifdef _WIN32
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return QString();
    return windowsNameFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
#else
    return QString();
#endif
}

QString schemeFromValue(const QByteArray& buffer, unsigned byteCount)
{
    // A value of zero bytes has no terminator to drop: it is empty, not an error.
    const qsizetype chars = byteCount == 0 ? 0 : qsizetype(byteCount) - 1;
    return QString::fromLocal8Bit(buffer.left(qMin(chars, buffer.size())));
}

void ReadAppearanceScheme([[maybe_unused]] QString& scheme)
{
#ifdef _WIN32
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Appearance", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    QByteArray buffer(256, '\0');
    DWORD type = 0;
    DWORD size = DWORD(buffer.size());
    if (RegQueryValueExA(key, "Current", nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        scheme = schemeFromValue(buffer, size);
    RegCloseKey(key);
#endif
}

} // namespace kumiro
