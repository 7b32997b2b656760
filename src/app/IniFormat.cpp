#include "IniFormat.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QStringList>

namespace kumiro {
namespace {

bool needsQuotes(const QString& v)
{
    if (v.isEmpty())
        return false;
    if (v.front().isSpace() || v.back().isSpace() || v.front() == u'"')
        return true;
    for (QChar c : v) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

QString quote(const QString& v)
{
    QString out;
    out.reserve(v.size() + 2);
    out += u'"';
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

// Reads a quoted value starting at text[0] == '"'. Returns false when it is not closed
// or is followed by anything but blanks.
bool unquote(QStringView text, QString& out)
{
    out.clear();
    qsizetype i = 1;
    for (; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == u'"')
            break;
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        QChar e = text[++i];
        switch (e.unicode()) {
        case 'r': out += u'\r'; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'x': {
            bool ok = false;
            uint code = text.mid(i + 1, 2).toUInt(&ok, 16);
            if (ok && i + 2 < text.size()) {
                out += QChar(char16_t(code));
                i += 2;
            } else {
                out += e;
            }
            break;
        }
        default: out += e;
        }
    }
    if (i >= text.size())
        return false;
    return text.mid(i + 1).trimmed().isEmpty();
}

bool hasControl(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// What the writer can put on a line of its own and the reader gives back unchanged; the
// reader keeps nothing else, so one odd line never stops a save.
bool plainKey(QStringView key)
{
    if (key.isEmpty() || key != key.trimmed())
        return false;
    if (key.front() == u'[' || key.front() == u';' || key.front() == u'#')
        return false;
    return !key.contains(u'=') && !hasControl(key);
}

bool plainSection(QStringView section)
{
    return section == section.trimmed() && !section.startsWith(u'/') && !section.contains(u']') && !hasControl(section);
}

// How the writer splits a settings path into its section and key.
void splitPath(const QString& path, QString& section, QString& key)
{
    const qsizetype slash = path.indexOf(u'/');
    section = slash < 0 ? QString() : path.left(slash);
    key = slash < 0 ? path : path.mid(slash + 1);
}

bool storablePath(const QString& path)
{
    QString section, key;
    splitPath(path, section, key);
    return plainKey(key) && plainSection(section) && !path.startsWith(u'/');
}

bool readFunc(QIODevice& device, QSettings::SettingsMap& map)
{
    // Lenient on purpose: whatever can be read is kept, the rest falls back to defaults.
    map = parseIni(device.readAll()).map;
    return true;
}

bool writeFunc(QIODevice& device, const QSettings::SettingsMap& map)
{
    QByteArray out;
    writeIni(map, out);
    return device.write(out) == out.size();
}

} // namespace

IniParseResult parseIni(const QByteArray& data)
{
    IniParseResult result;
    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading BOM
    const QString text = decoder.decode(data);
    result.badEncoding = decoder.hasError();

    QString section;
    bool sectionOk = true; // keys under a section the writer could not write are dropped
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView raw : lines) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            if (line.back() != u']') {
                ++result.badLines;
                continue;
            }
            section = line.mid(1, line.size() - 2).trimmed().toString();
            sectionOk = plainSection(section);
            if (!sectionOk)
                ++result.badLines;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        const QString key = eq > 0 ? line.left(eq).trimmed().toString() : QString();
        const QString path = section.isEmpty() ? key : section + u'/' + key;
        if (!plainKey(key) || !sectionOk || !storablePath(path)) {
            ++result.badLines;
            continue;
        }
        const QStringView rest = line.mid(eq + 1).trimmed();
        QString value;
        if (!rest.isEmpty() && rest.front() == u'"') {
            if (!unquote(rest, value)) {
                ++result.badLines;
                continue;
            }
        } else {
            value = rest.toString();
        }
        result.map.insert(path, value);
    }
    return result;
}

int writeIni(const QSettings::SettingsMap& map, QByteArray& out)
{
    int skipped = 0;
    // Keys without a section come first, then one block per section in key order.
    QMap<QString, QStringList> lines;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!storablePath(it.key())) {
            ++skipped;
            continue;
        }
        QString section, key;
        splitPath(it.key(), section, key);
        const QString value = it.value().toString();
        lines[section].append(key + u'=' + (needsQuotes(value) ? quote(value) : value));
    }
    QString text;
    for (auto it = lines.constBegin(); it != lines.constEnd(); ++it) {
        if (!it.key().isEmpty()) {
            if (!text.isEmpty())
                text += u'\n';
            text += u'[' + it.key() + QStringLiteral("]\n");
        }
        for (const QString& l : it.value())
            text += l + u'\n';
    }
    out = text.toUtf8();
    return skipped;
}

QSettings::Format plainIniFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readFunc, writeFunc, Qt::CaseSensitive);
    return format;
}

} // namespace kumiro
