#pragma once

#include <QByteArray>
#include <QSettings>

namespace kumiro {

// An INI dialect that keeps keys readable: "OptTkaku(1,1)=1", not percent-escaped.
// Values are written as they are unless they carry blanks at either end, a leading
// double quote or control characters; those are quoted with backslash escapes.
struct IniParseResult {
    QSettings::SettingsMap map;
    int badLines = 0; // lines that were neither comment, section nor key=value
    bool badEncoding = false; // bytes that are not UTF-8
    bool broken() const { return badLines > 0 || badEncoding; }
};

IniParseResult parseIni(const QByteArray& data);

// Writes every key the reader would give back unchanged; returns how many it left out.
int writeIni(const QSettings::SettingsMap& map, QByteArray& out);

// Registers the dialect with QSettings once and returns its format id.
QSettings::Format plainIniFormat();

} // namespace kumiro
