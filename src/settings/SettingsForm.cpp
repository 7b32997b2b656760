#include "SettingsForm.h"

#include "app/StoredSettings.h"
#include "app/TextValues.h"

namespace kumiro {

bool isBlankPattern(const QString& pattern)
{
    return pattern.isEmpty() || pattern == u" " || pattern == QStringLiteral("\u3000");
}

void saveGeneralForm(StoredSettings settings, const GeneralForm& form)
{
    auto& s = settings.set;
    s.OptLogo = flagText(form.logo);
    settings.save(Key::OptLogo);
    s.OptDbl = flagText(form.doubleClickEnds);
    settings.save(Key::OptDbl);
    s.OptCent = flagText(form.centre);
    settings.save(Key::OptCent);
    s.OptLAct = flagText(form.lastTab);
    settings.save(Key::OptLAct);
    if (form.lastTab) {
        s.OptLATab = QString::number(form.currentTab);
        settings.save(Key::OptLATab);
    }
}

void saveKindForm(StoredSettings settings, Kind kind, const KindForm& form)
{
    auto& s = settings.set;
    const int k = indexOf(kind);

    s.OptDouki[kind] = flagText(form.syncFolder);
    settings.save(Key::OptDouki, k);
    s.KumiroFile[kind] = form.fileName;
    settings.save(Key::KumiroFile, k);
    // An empty folder list (nothing could be opened) keeps the stored folder.
    s.FolderName[kind] = form.syncFolder ? s.DataFol[kind]
        : form.shownFolder.isEmpty()     ? s.FolderName[kind]
                                         : form.shownFolder;
    settings.save(Key::FolderName, k);

    if (kind != Kind::Text) {
        auto saveFlags = [&](auto& table, Key key) {
            for (std::size_t j = 0; j < table.size() && j < std::size_t(form.patternsOn.size()); ++j) {
                table[j][1] = flagText(form.patternsOn[qsizetype(j)]);
                settings.save(key, int(j), 1);
            }
        };
        if (kind == Kind::Word)
            saveFlags(s.OptWkaku, Key::OptWkaku);
        else
            saveFlags(s.OptEkaku, Key::OptEkaku);
        s.KumiroExt[std::size_t(k)] = form.outputExtension;
        settings.save(Key::KumiroExt, k);
        return;
    }
    for (int j = 0; j < 6; ++j) {
        const QString& pattern = form.textPatterns[std::size_t(j)];
        s.OptTkaku[j][0] = pattern;
        settings.save(Key::OptTkaku, j, 0);
        s.OptTkaku[j][1] =
            isBlankPattern(pattern) ? QStringLiteral("0") : flagText(form.textPatternsOn[std::size_t(j)]);
        settings.save(Key::OptTkaku, j, 1);
    }
}

} // namespace kumiro
