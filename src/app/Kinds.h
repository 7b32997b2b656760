#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace kumiro {

// The three kinds of file the program combines.
enum class Kind : quint8 { Word, Excel, Text };
inline constexpr int kKinds = 3;

// The kind a stored or numbered value stands for: 0 and 1 as themselves, every other value
// is Text, as the program has always read it.
constexpr Kind kindOf(int value)
{
    return value == 0 ? Kind::Word : value == 1 ? Kind::Excel : Kind::Text;
}
constexpr int indexOf(Kind kind)
{
    return int(kind);
}
inline constexpr std::array<Kind, kKinds> kAllKinds = {Kind::Word, Kind::Excel, Kind::Text};

// A format a kind's combine can write: its extension (without the dot) and its name.
struct OutputFormat {
    QString extension;
    QString label;
};

// What the program says and uses for one kind.
struct KindInfo {
    QString captionSuffix; // after a window's title
    QString word; // the kind's name in messages
    QString outputName; // the output's default name (KumiroFile)
    QString openIcon; // the picker's icon, in the program folder
    int pickerHelp; // help context of the data folder picker
    int settingsHelp; // help context of the kind's settings tab
    QString doneText; // the combine's completion message
    QString outputFolderMissing; // the settings dialog's text for a missing output folder
    QList<OutputFormat> outputFormats; // the first is the default
    QStringList patterns; // the fixed patterns of the extension table, in its rows' order
};

// The kind's output format of that extension, or its default one.
const OutputFormat& outputFormatOf(Kind kind, const QString& extension);

const KindInfo& kindInfo(Kind kind);

// An array with one value per kind, indexed by the kind.
template <typename T> struct PerKind : std::array<T, kKinds> {
    using std::array<T, kKinds>::operator[];
    T& operator[](Kind kind) { return (*this)[std::size_t(kind)]; }
    const T& operator[](Kind kind) const { return (*this)[std::size_t(kind)]; }
};

} // namespace kumiro
