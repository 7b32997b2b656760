#include "SettingsRecord.h"

#include "SettingsStore.h"
#include "TextValues.h"

namespace kumiro {

QString kindKey(const QString& prefix, int i)
{
    return prefix + u'(' + QString::number(i) + u')';
}

QString tableKey(const QString& prefix, int i, int j)
{
    return prefix + u'(' + QString::number(i) + u',' + QString::number(j) + u')';
}

QString loadWithDefault(SettingsStore& store, const QString& app, const QString& section,
                        const QString& key, const QString& defaultText)
{
    QString text = store.read(app, section, key);
    if (text.isEmpty()) {
        store.save(app, section, key, defaultText);
        text = defaultText;
    }
    return text;
}

QString centredEdge(double screen, const QString& windowSize)
{
    return numberText((screen - leadingNumber(windowSize)) / 2);
}

namespace {

// A stored edge that is missing or negative gives way to the centred one, in memory only.
QString loadEdge(SettingsStore& store, const QString& app, const QString& key,
                 const QString& centred)
{
    const QString text = store.read(app, kSectionPosition, key);
    if (text.isEmpty() || leadingNumber(text) < 0)
        return centred;
    return text;
}

} // namespace

void loadRemainingSettings(SettingsRecord& rec, SettingsStore& store, const QString& app,
                           const QString& programFolder, ScreenTwips screen)
{
    auto load = [&](const QString& section, const QString& key, const QString& def) {
        return loadWithDefault(store, app, section, key, def);
    };

    rec.OptDbl = load(kSectionConfig, QStringLiteral("OptDbl"), QStringLiteral("0"));
    rec.OptCent = load(kSectionPosition, QStringLiteral("OptCent"), QStringLiteral("0"));
    rec.F_Height = load(kSectionPosition, QStringLiteral("F_Height"), QStringLiteral("9000"));
    rec.F_Width = load(kSectionPosition, QStringLiteral("F_Width"), QStringLiteral("12000"));

    const QString centredTop = centredEdge(screen.height, rec.F_Height);
    const QString centredLeft = centredEdge(screen.width, rec.F_Width);
    rec.G_Left = loadEdge(store, app, QStringLiteral("G_Left"), centredLeft);
    rec.G_Top = loadEdge(store, app, QStringLiteral("G_Top"), centredTop);

    rec.OptLAct = load(kSectionConfig, QStringLiteral("OptLAct"), QStringLiteral("1"));
    rec.OptLATab = load(kSectionConfig, QStringLiteral("OptLATab"), QStringLiteral("0"));

    const std::array<QString, kKinds> outputNames = {
        QStringLiteral("NewWord"), QStringLiteral("NewExcel"), QStringLiteral("NewText")};
    for (int i = 0; i < kKinds; ++i)
        rec.KumiroFile[i] = load(kSectionKumiro, kindKey(QStringLiteral("KumiroFile"), i),
                                 outputNames[i]);

    for (int i = 0; i < kKinds; ++i) {
        rec.OptDouki[i] = load(kSectionKumiro, kindKey(QStringLiteral("OptDouki"), i),
                               QStringLiteral("0"));
        rec.DataFol[i] = load(kSectionKumiro, kindKey(QStringLiteral("DataFol"), i),
                              programFolder);
        const QString folderKey = kindKey(QStringLiteral("FolderName"), i);
        QString folder = store.read(app, kSectionKumiro, folderKey);
        if (isOn(rec.OptDouki[i]))
            folder = rec.DataFol[i];
        else if (folder.isEmpty())
            folder = programFolder;
        rec.FolderName[i] = folder;
        store.save(app, kSectionKumiro, folderKey, folder);
    }

    rec.OptWkaku[0][0] = QStringLiteral("*.doc");
    rec.OptWkaku[1][0] = QStringLiteral("*.rtf");
    rec.OptEkaku[0][0] = QStringLiteral("*.xls");
    rec.OptEkaku[1][0] = QStringLiteral("*.csv");
    rec.OptTkaku[0][0] = QStringLiteral("*.txt");

    for (int i = 0; i < 2; ++i) {
        rec.OptWkaku[i][1] =
            load(kSectionKumiro, tableKey(QStringLiteral("OptWkaku"), i, 1), QStringLiteral("1"));
        rec.OptEkaku[i][1] =
            load(kSectionKumiro, tableKey(QStringLiteral("OptEkaku"), i, 1), QStringLiteral("1"));
    }
    rec.OptTkaku[0][1] =
        load(kSectionKumiro, tableKey(QStringLiteral("OptTkaku"), 0, 1), QStringLiteral("1"));
    for (int i = 1; i < 6; ++i) {
        rec.OptTkaku[i][1] = store.read(app, kSectionKumiro, tableKey(QStringLiteral("OptTkaku"), i, 1));
        rec.OptTkaku[i][0] = store.read(app, kSectionKumiro, tableKey(QStringLiteral("OptTkaku"), i, 0));
    }
}

} // namespace kumiro
