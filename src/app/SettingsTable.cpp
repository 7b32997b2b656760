#include "SettingsTable.h"

#include "Paths.h"
#include "SettingsStore.h"
#include "TextValues.h"

namespace kumiro {

namespace {

const QString kConfig = QStringLiteral("Config");
const QString kPosition = QStringLiteral("Position");
const QString kKumiro = QStringLiteral("Kumiro");

enum class Shape { One, PerKind, Table };

struct Row {
    Key key;
    QString name;
    const QString& section;
    Shape shape;
    QString defaultText; // empty: none, or one the loader works out
};

// The one list of stored keys.
const std::array<Row, 17>& rows()
{
    static const std::array<Row, 17> table = {{
        // "1": the splash shows at start.
        {Key::OptLogo, QStringLiteral("OptLogo"), kConfig, Shape::One, QStringLiteral("1")},
        // "1": a double click on the window's background ends the program.
        {Key::OptDbl, QStringLiteral("OptDbl"), kConfig, Shape::One, QStringLiteral("0")},
        // "1": the main window is centred on the screen at start.
        {Key::OptCent, QStringLiteral("OptCent"), kPosition, Shape::One, QStringLiteral("0")},
        // The main window's outer height and width, in twips.
        {Key::F_Height, QStringLiteral("F_Height"), kPosition, Shape::One, QStringLiteral("9000")},
        {Key::F_Width, QStringLiteral("F_Width"), kPosition, Shape::One, QStringLiteral("12000")},
        // The main window's left and top edges, in twips; missing: centred, never written at start.
        {Key::G_Left, QStringLiteral("G_Left"), kPosition, Shape::One, {}},
        {Key::G_Top, QStringLiteral("G_Top"), kPosition, Shape::One, {}},
        // "1": the settings dialog opens on the tab it was left on (OptLATab, 0 to 3).
        {Key::OptLAct, QStringLiteral("OptLAct"), kConfig, Shape::One, QStringLiteral("1")},
        {Key::OptLATab, QStringLiteral("OptLATab"), kConfig, Shape::One, QStringLiteral("0")},
        // Per kind: the combined file's name without extension (default from the kind table).
        {Key::KumiroFile, QStringLiteral("KumiroFile"), kKumiro, Shape::PerKind, {}},
        // Per kind, "1": the output folder follows the data folder ("douki", in step).
        {Key::OptDouki, QStringLiteral("OptDouki"), kKumiro, Shape::PerKind, QStringLiteral("0")},
        // Per kind: the folder whose files are listed (default: the fallback folder).
        {Key::DataFol, QStringLiteral("DataFol"), kKumiro, Shape::PerKind, {}},
        // Per kind: the folder the combined file is written to.
        {Key::FolderName, QStringLiteral("FolderName"), kKumiro, Shape::PerKind, {}},
        // Extension tables ("kaku"): row i's pattern (column 0, fixed in memory for Word and
        // Excel) and whether it is listed (column 1, "1"). Word's rows 2 and 3 (*.docx, *.odt)
        // and Excel's rows 2 to 4 (*.xlsx, *.xlsm, *.ods) came later and are stored last.
        {Key::OptWkaku, QStringLiteral("OptWkaku"), kKumiro, Shape::Table, QStringLiteral("1")},
        {Key::OptEkaku, QStringLiteral("OptEkaku"), kKumiro, Shape::Table, QStringLiteral("1")},
        // Text: row 0 is "*.txt"; rows 1 to 5 are the user's own patterns, without defaults.
        {Key::OptTkaku, QStringLiteral("OptTkaku"), kKumiro, Shape::Table, {}},
        // Word's (0) and Excel's (1) output format as its extension: "doc", "docx", "odt",
        // "pdf"; "xls", "xlsx", "ods" (the first of each is the default).
        {Key::KumiroExt, QStringLiteral("KumiroExt"), kKumiro, Shape::PerKind, {}},
    }};
    return table;
}

const Row& rowOf(Key key)
{
    return rows()[std::size_t(key)];
}

} // namespace

QString keyName(Key key, int i, int j)
{
    const Row& row = rowOf(key);
    switch (row.shape) {
    case Shape::One: return row.name;
    case Shape::PerKind: return row.name + u'(' + QString::number(i) + u')';
    case Shape::Table: return row.name + u'(' + QString::number(i) + u',' + QString::number(j) + u')';
    }
    return row.name;
}

const QString& keySection(Key key)
{
    return rowOf(key).section;
}

QString& valueOf(SettingsRecord& s, Key key, int i, int j)
{
    switch (key) {
    case Key::OptLogo: return s.OptLogo;
    case Key::OptDbl: return s.OptDbl;
    case Key::OptCent: return s.OptCent;
    case Key::F_Height: return s.F_Height;
    case Key::F_Width: return s.F_Width;
    case Key::G_Left: return s.G_Left;
    case Key::G_Top: return s.G_Top;
    case Key::OptLAct: return s.OptLAct;
    case Key::OptLATab: return s.OptLATab;
    case Key::KumiroFile: return s.KumiroFile.at(std::size_t(i));
    case Key::OptDouki: return s.OptDouki.at(std::size_t(i));
    case Key::DataFol: return s.DataFol.at(std::size_t(i));
    case Key::FolderName: return s.FolderName.at(std::size_t(i));
    case Key::OptWkaku: return s.OptWkaku.at(std::size_t(i)).at(std::size_t(j));
    case Key::OptEkaku: return s.OptEkaku.at(std::size_t(i)).at(std::size_t(j));
    case Key::OptTkaku: return s.OptTkaku.at(std::size_t(i)).at(std::size_t(j));
    case Key::KumiroExt: return s.KumiroExt.at(std::size_t(i));
    }
    return s.OptLogo;
}

const QString& valueOf(const SettingsRecord& s, Key key, int i, int j)
{
    return valueOf(const_cast<SettingsRecord&>(s), key, i, j);
}

bool saveSetting(SettingsStore& store, const QString& app, const SettingsRecord& settings, Key key, int i, int j)
{
    return store.save(app, keySection(key), keyName(key, i, j), valueOf(settings, key, i, j));
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
    loadWithDefault(rec, store, app, key, i, j, rowOf(key).defaultText);
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

    for (int i = 0; i < 2; ++i) {
        load(rec, store, app, Key::OptWkaku, i, 1);
        load(rec, store, app, Key::OptEkaku, i, 1);
    }
    loadWithDefault(rec, store, app, Key::OptTkaku, 0, 1, QStringLiteral("1"));
    for (int i = 1; i < 6; ++i) {
        for (int j : {1, 0})
            rec.OptTkaku[i][j] = store.read(app, keySection(Key::OptTkaku), keyName(Key::OptTkaku, i, j));
    }

    // The later formats, after everything of old: a file from before them loads unchanged
    // and gains them.
    for (int i = 2; i < 4; ++i)
        load(rec, store, app, Key::OptWkaku, i, 1);
    for (int i = 2; i < 5; ++i)
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
