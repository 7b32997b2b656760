#include "SettingsTable.h"

#include "Paths.h"
#include "SettingsStore.h"
#include "TextValues.h"

namespace kumiro {

namespace {

enum class Section { Config, Position, Kumiro };
enum class Shape { One, PerKind, Table };

// A key's default, by what the value means; None: none, or one the loader works out.
struct Default {
    enum Type { None, Flag, Number } type = None;
    int value = 0;
};
constexpr Default flagDefault(bool on)
{
    return {Default::Flag, on ? 1 : 0};
}
constexpr Default numberDefault(int n)
{
    return {Default::Number, n};
}

using Accessor = QString& (*)(SettingsRecord&, std::size_t i, std::size_t j);

struct Row {
    Key key;
    const char16_t* name;
    Section section;
    Shape shape;
    Default fallback;
    Accessor value;
};

// The one list of stored keys, in the order of Key.
constexpr std::array<Row, kKeyCount> kRows = {{
    // The splash shows at start.
    {Key::OptLogo, u"OptLogo", Section::Config, Shape::One, flagDefault(true),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.OptLogo; }},
    // A double click on the window's background ends the program.
    {Key::OptDbl, u"OptDbl", Section::Config, Shape::One, flagDefault(false),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.OptDbl; }},
    // The main window is centred on the screen at start.
    {Key::OptCent, u"OptCent", Section::Position, Shape::One, flagDefault(false),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.OptCent; }},
    // The main window's outer height and width, in twips.
    {Key::F_Height, u"F_Height", Section::Position, Shape::One, numberDefault(9000),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.F_Height; }},
    {Key::F_Width, u"F_Width", Section::Position, Shape::One, numberDefault(12000),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.F_Width; }},
    // The main window's left and top edges, in twips; missing: centred, never written at start.
    {Key::G_Left,
     u"G_Left",
     Section::Position,
     Shape::One,
     {},
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.G_Left; }},
    {Key::G_Top,
     u"G_Top",
     Section::Position,
     Shape::One,
     {},
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.G_Top; }},
    // The settings dialog opens on the tab it was left on (OptLATab, 0 to 3).
    {Key::OptLAct, u"OptLAct", Section::Config, Shape::One, flagDefault(true),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.OptLAct; }},
    {Key::OptLATab, u"OptLATab", Section::Config, Shape::One, numberDefault(0),
     [](SettingsRecord& s, std::size_t, std::size_t) -> QString& { return s.OptLATab; }},
    // Per kind: the combined file's name without extension (default from the kind table).
    {Key::KumiroFile,
     u"KumiroFile",
     Section::Kumiro,
     Shape::PerKind,
     {},
     [](SettingsRecord& s, std::size_t i, std::size_t) -> QString& { return s.KumiroFile.at(i); }},
    // Per kind: the output folder follows the data folder ("douki", in step).
    {Key::OptDouki, u"OptDouki", Section::Kumiro, Shape::PerKind, flagDefault(false),
     [](SettingsRecord& s, std::size_t i, std::size_t) -> QString& { return s.OptDouki.at(i); }},
    // Per kind: the folder whose files are listed (default: the fallback folder).
    {Key::DataFol,
     u"DataFol",
     Section::Kumiro,
     Shape::PerKind,
     {},
     [](SettingsRecord& s, std::size_t i, std::size_t) -> QString& { return s.DataFol.at(i); }},
    // Per kind: the folder the combined file is written to.
    {Key::FolderName,
     u"FolderName",
     Section::Kumiro,
     Shape::PerKind,
     {},
     [](SettingsRecord& s, std::size_t i, std::size_t) -> QString& { return s.FolderName.at(i); }},
    // Extension tables ("kaku"): row i's pattern (column 0, fixed in memory for Word and
    // Excel) and whether it is listed (column 1). Word's rows 2 and 3 (*.docx, *.odt) and
    // Excel's rows 2 to 4 (*.xlsx, *.xlsm, *.ods) came later and are stored last.
    {Key::OptWkaku, u"OptWkaku", Section::Kumiro, Shape::Table, flagDefault(true),
     [](SettingsRecord& s, std::size_t i, std::size_t j) -> QString& { return s.OptWkaku.at(i).at(j); }},
    {Key::OptEkaku, u"OptEkaku", Section::Kumiro, Shape::Table, flagDefault(true),
     [](SettingsRecord& s, std::size_t i, std::size_t j) -> QString& { return s.OptEkaku.at(i).at(j); }},
    // Text: row 0 is "*.txt"; rows 1 to 5 are the user's own patterns, without defaults.
    {Key::OptTkaku,
     u"OptTkaku",
     Section::Kumiro,
     Shape::Table,
     {},
     [](SettingsRecord& s, std::size_t i, std::size_t j) -> QString& { return s.OptTkaku.at(i).at(j); }},
    // Word's (0) and Excel's (1) output format as its extension: "doc", "docx", "odt",
    // "pdf"; "xls", "xlsx", "ods" (the first of each is the default).
    {Key::KumiroExt,
     u"KumiroExt",
     Section::Kumiro,
     Shape::PerKind,
     {},
     [](SettingsRecord& s, std::size_t i, std::size_t) -> QString& { return s.KumiroExt.at(i); }},
}};

// A row out of place would read and write another key's value.
constexpr bool rowsInKeyOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].key != Key(i) || !kRows[i].value)
            return false;
    return true;
}
static_assert(rowsInKeyOrder(), "the stored keys' table must list every Key once, in order");

const Row& rowOf(Key key)
{
    return kRows[std::size_t(key)];
}

QString defaultText(const Default& d)
{
    switch (d.type) {
    case Default::Flag: return flagText(d.value != 0);
    case Default::Number: return QString::number(d.value);
    case Default::None: break;
    }
    return {};
}

} // namespace

QString keyName(Key key, int i, int j)
{
    const Row& row = rowOf(key);
    const QString name = QString::fromUtf16(row.name);
    switch (row.shape) {
    case Shape::One: return name;
    case Shape::PerKind: return name + u'(' + QString::number(i) + u')';
    case Shape::Table: return name + u'(' + QString::number(i) + u',' + QString::number(j) + u')';
    }
    return name;
}

const QString& keySection(Key key)
{
    static const std::array<QString, 3> names = {QStringLiteral("Config"), QStringLiteral("Position"),
                                                 QStringLiteral("Kumiro")};
    return names[std::size_t(rowOf(key).section)];
}

QString& valueOf(SettingsRecord& s, Key key, int i, int j)
{
    return rowOf(key).value(s, std::size_t(std::max(i, 0)), std::size_t(std::max(j, 0)));
}

const QString& valueOf(const SettingsRecord& s, Key key, int i, int j)
{
    return valueOf(const_cast<SettingsRecord&>(s), key, i, j);
}

bool saveSetting(SettingsStore& store, const QString& app, const SettingsRecord& settings, Key key, int i, int j)
{
    return store.save(app, keySection(key), keyName(key, i, j), valueOf(settings, key, i, j));
}

qint16 windowSizeTwips(const SettingsRecord& settings, Key key, double extra)
{
    const Default& fallback = rowOf(key).fallback;
    Q_ASSERT(fallback.type == Default::Number);
    const auto stored = wholeNumber(valueOf(settings, key));
    const auto size = stored ? toInt16(*stored + extra) : std::nullopt;
    return size.value_or(qint16(fallback.value + extra));
}

QString centredEdge(double screen, const QString& windowSize)
{
    return numberText((screen - leadingNumber(windowSize)) / 2);
}

namespace {

// Reads one key into the record; an empty or missing value takes `defaultText`, in the
// store too.
void loadWithDefault(SettingsRecord& rec, SettingsStore& store, const QString& app, Key key, int i, int j,
                     const QString& defaultText)
{
    const QString name = keyName(key, i, j);
    QString text = store.read(app, keySection(key), name);
    if (text.isEmpty()) {
        store.save(app, keySection(key), name, defaultText);
        text = defaultText;
    }
    valueOf(rec, key, i, j) = text;
}

void load(SettingsRecord& rec, SettingsStore& store, const QString& app, Key key, int i = -1, int j = -1)
{
    loadWithDefault(rec, store, app, key, i, j, defaultText(rowOf(key).fallback));
}

// A stored edge that is missing or negative gives way to the centred one, in memory only.
void loadEdge(SettingsRecord& rec, SettingsStore& store, const QString& app, Key key, const QString& centred)
{
    const QString text = store.read(app, keySection(key), keyName(key));
    valueOf(rec, key) = text.isEmpty() || leadingNumber(text) < 0 ? centred : text;
}

} // namespace

void loadLogoSetting(SettingsRecord& rec, SettingsStore& store, const QString& app)
{
    load(rec, store, app, Key::OptLogo);
}

void loadRemainingSettings(SettingsRecord& rec, SettingsStore& store, const QString& app, const QString& fallbackFolder,
                           ScreenTwips screen)
{
    load(rec, store, app, Key::OptDbl);
    load(rec, store, app, Key::OptCent);
    load(rec, store, app, Key::F_Height);
    load(rec, store, app, Key::F_Width);

    const QString centredTop = centredEdge(screen.height, rec.F_Height);
    const QString centredLeft = centredEdge(screen.width, rec.F_Width);
    loadEdge(rec, store, app, Key::G_Left, centredLeft);
    loadEdge(rec, store, app, Key::G_Top, centredTop);

    load(rec, store, app, Key::OptLAct);
    load(rec, store, app, Key::OptLATab);

    for (Kind kind : kAllKinds)
        loadWithDefault(rec, store, app, Key::KumiroFile, indexOf(kind), -1, kindInfo(kind).outputName);

    for (Kind kind : kAllKinds) {
        const int i = indexOf(kind);
        load(rec, store, app, Key::OptDouki, i);
        loadWithDefault(rec, store, app, Key::DataFol, i, -1, fallbackFolder);
        // Rewritten at every start: in step with the data folder, or the fallback when empty.
        QString folder = store.read(app, keySection(Key::FolderName), keyName(Key::FolderName, i));
        if (isOn(rec.OptDouki[kind]))
            folder = rec.DataFol[kind];
        else if (folder.isEmpty())
            folder = fallbackFolder;
        rec.FolderName[kind] = folder;
        saveSetting(store, app, rec, Key::FolderName, i);
    }

    // The fixed patterns live in memory only.
    for (std::size_t j = 0; j < rec.OptWkaku.size(); ++j)
        rec.OptWkaku[j][0] = kindInfo(Kind::Word).patterns.at(qsizetype(j));
    for (std::size_t j = 0; j < rec.OptEkaku.size(); ++j)
        rec.OptEkaku[j][0] = kindInfo(Kind::Excel).patterns.at(qsizetype(j));
    rec.OptTkaku[0][0] = kindInfo(Kind::Text).patterns.first();

    for (int i = 0; i < kOldPatternRows; ++i) {
        load(rec, store, app, Key::OptWkaku, i, 1);
        load(rec, store, app, Key::OptEkaku, i, 1);
    }
    loadWithDefault(rec, store, app, Key::OptTkaku, 0, 1, QStringLiteral("1"));
    for (int i = 1; i < int(rec.OptTkaku.size()); ++i) {
        for (int j : {1, 0})
            rec.OptTkaku[i][j] = store.read(app, keySection(Key::OptTkaku), keyName(Key::OptTkaku, i, j));
    }

    // The later formats, after everything of old: a file from before them loads unchanged
    // and gains them.
    for (int i = kOldPatternRows; i < int(rec.OptWkaku.size()); ++i)
        load(rec, store, app, Key::OptWkaku, i, 1);
    for (int i = kOldPatternRows; i < int(rec.OptEkaku.size()); ++i)
        load(rec, store, app, Key::OptEkaku, i, 1);
    for (Kind kind : {Kind::Word, Kind::Excel}) {
        const int i = indexOf(kind);
        loadWithDefault(rec, store, app, Key::KumiroExt, i, -1, kindInfo(kind).outputFormats.first().extension);
        // An extension the program does not write is read as the default, in memory.
        rec.KumiroExt[std::size_t(i)] = outputFormatOf(kind, rec.KumiroExt[std::size_t(i)]).extension;
    }
}

QString outputExtensionOf(const SettingsRecord& settings, Kind kind)
{
    const QString chosen = kind == Kind::Text ? QString() : settings.KumiroExt[std::size_t(indexOf(kind))];
    return u'.' + outputFormatOf(kind, chosen).extension;
}

QString outputPathOf(const SettingsRecord& settings, Kind kind)
{
    return joinPath(settings.FolderName[kind], settings.KumiroFile[kind] + outputExtensionOf(settings, kind));
}

} // namespace kumiro
