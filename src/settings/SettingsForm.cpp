#include "SettingsForm.h"

#include "app/ProgramState.h"
#include "app/TextValues.h"

namespace kumiro {

bool isBlankPattern(const QString& pattern)
{
    return pattern.isEmpty() || pattern == u" " || pattern == QStringLiteral("\u3000");
}

void saveGeneralForm(ProgramState& state, const GeneralForm& form)
{
    auto& s = state.set;
    s.OptLogo = flagText(form.logo);
    state.saveSetting(Key::OptLogo);
    s.OptDbl = flagText(form.doubleClickEnds);
    state.saveSetting(Key::OptDbl);
    s.OptCent = flagText(form.centre);
    state.saveSetting(Key::OptCent);
    s.OptLAct = flagText(form.lastTab);
    state.saveSetting(Key::OptLAct);
    if (form.lastTab) {
        s.OptLATab = QString::number(form.currentTab);
        state.saveSetting(Key::OptLATab);
    }
}

void saveKindForm(ProgramState& state, Kind kind, const KindForm& form)
{
    auto& s = state.set;
    const int k = indexOf(kind);

    s.OptDouki[kind] = flagText(form.syncFolder);
    state.saveSetting(Key::OptDouki, k);
    s.KumiroFile[kind] = form.fileName;
    state.saveSetting(Key::KumiroFile, k);
    // An empty folder list (nothing could be opened) keeps the stored folder.
    s.FolderName[kind] = form.syncFolder ? s.DataFol[kind]
        : form.shownFolder.isEmpty()     ? s.FolderName[kind]
                                         : form.shownFolder;
    state.saveSetting(Key::FolderName, k);

    if (kind != Kind::Text) {
        auto saveFlags = [&](auto& table, Key key) {
            for (std::size_t j = 0; j < table.size() && j < std::size_t(form.patternsOn.size()); ++j) {
                table[j][1] = flagText(form.patternsOn[qsizetype(j)]);
                state.saveSetting(key, int(j), 1);
            }
        };
        if (kind == Kind::Word)
            saveFlags(s.OptWkaku, Key::OptWkaku);
        else
            saveFlags(s.OptEkaku, Key::OptEkaku);
        s.KumiroExt[std::size_t(k)] = form.outputExtension;
        state.saveSetting(Key::KumiroExt, k);
        return;
    }
    for (int j = 0; j < 6; ++j) {
        const QString& pattern = form.textPatterns[std::size_t(j)];
        s.OptTkaku[j][0] = pattern;
        state.saveSetting(Key::OptTkaku, j, 0);
        s.OptTkaku[j][1] =
            isBlankPattern(pattern) ? QStringLiteral("0") : flagText(form.textPatternsOn[std::size_t(j)]);
        state.saveSetting(Key::OptTkaku, j, 1);
    }
}

} // namespace kumiro
