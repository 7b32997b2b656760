#include "FileListing.h"

#include "app/Kinds.h"
#include "app/SettingsRecord.h"
#include "app/TextValues.h"

#include <QDirIterator>
#include <QFile>
#include <QStringDecoder>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace kumiro {

bool wildcardMatch(QStringView name, QStringView pattern)
{
    // Iterative match with one backtrack point: linear in practice, no recursion.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

QStringList searchFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    // Without QDir::Hidden and QDir::System: no dot files, sockets, devices or broken links.
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (wildcardMatch(name, pattern))
            names.append(name);
    }
    sortNames(names);
    return names;
}

QStringList kindPatterns(const SettingsRecord& s, Kind kind)
{
    auto twoPatternKind = [](const auto& t) {
        QStringList patterns;
        patterns << (isOn(t[0][1]) ? t[0][0] : t[1][0]);
        if (isOn(t[0][1]) && isOn(t[1][1]))
            patterns << t[1][0];
        // The later formats after the two of old, each when its box is ticked.
        for (std::size_t i = 2; i < t.size(); ++i) {
            if (isOn(t[i][1]))
                patterns << t[i][0];
        }
        return patterns;
    };
    if (kind == Kind::Word)
        return twoPatternKind(s.OptWkaku);
    if (kind == Kind::Excel)
        return twoPatternKind(s.OptEkaku);
    QStringList patterns;
    for (int i = 0; i < 6; ++i) {
        if (isOn(s.OptTkaku[i][1]) && !s.OptTkaku[i][0].isEmpty())
            patterns << s.OptTkaku[i][0];
    }
    return patterns;
}

namespace {

// A kind's fixed patterns and the formats it writes; for Text, its patterns switched on.
QStringList dataPatternsOf(const SettingsRecord& settings, Kind kind)
{
    QStringList patterns = kindInfo(kind).patterns;
    for (const OutputFormat& f : kindInfo(kind).outputFormats)
        patterns << QStringLiteral("*.") + f.extension;
    if (kind == Kind::Text)
        patterns << kindPatterns(settings, Kind::Text);
    patterns.removeDuplicates();
    return patterns;
}

} // namespace

QStringList everyDataPattern(const SettingsRecord& settings)
{
    QStringList patterns;
    for (Kind kind : kAllKinds)
        patterns << dataPatternsOf(settings, kind);
    patterns.removeDuplicates();
    return patterns;
}

QString dataFileFilter(const SettingsRecord& settings)
{
    const QString all = everyDataPattern(settings).join(u';');
    QString filter = QStringLiteral("(%1)|%1|").arg(all);
    for (Kind kind : kAllKinds) {
        const QString patterns = dataPatternsOf(settings, kind).join(u';');
        filter += QStringLiteral("%1 (%2)|%2|").arg(kindInfo(kind).word, patterns);
    }
    return filter + QStringLiteral("すべてのファイル (*.*)|*|");
}

QList<Kind> kindsMatching(const SettingsRecord& settings, const QString& name)
{
    QList<Kind> kinds;
    for (Kind kind : kAllKinds) {
        const QStringList patterns = kindPatterns(settings, kind);
        if (std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) { return wildcardMatch(name, p); }))
            kinds << kind;
    }
    return kinds;
}

std::optional<Kind> kindOfNames(const SettingsRecord& settings, const QStringList& names, std::optional<Kind> preferred,
                                int& unknown)
{
    unknown = -1;
    QList<Kind> common(kAllKinds.begin(), kAllKinds.end());
    for (int i = 0; i < names.size(); ++i) {
        const QList<Kind> matching = kindsMatching(settings, names[i]);
        if (matching.isEmpty()) {
            unknown = i;
            return std::nullopt;
        }
        common.removeIf([&](Kind k) { return !matching.contains(k); });
    }
    if (common.isEmpty())
        return std::nullopt;
    return preferred && common.contains(*preferred) ? *preferred : common.first();
}

QStringList listKindFiles(const SettingsRecord& settings, Kind kind, const QString& folder)
{
    QStringList names;
    for (const QString& pattern : kindPatterns(settings, kind))
        names += searchFolder(folder, pattern);
    return names;
}

bool anyPathTooLong(const QString& folder, const QStringList& names)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const QString& name) { return folder.size() + 1 + name.size() > 255; });
}

int countUnnamableFiles(const SettingsRecord& settings, Kind kind, const QString& folder)
{
    const QStringList patterns = kindPatterns(settings, kind);
    DIR* dir = folder.isEmpty() ? nullptr : ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString name = utf8.decode(QByteArrayView(entry->d_name));
        if (!utf8.hasError())
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) { return wildcardMatch(name, p); }))
            ++count;
    }
    ::closedir(dir);
    return count;
}

QString fileCountText(int count, Kind kind, int unnamable)
{
    QString text = QStringLiteral("同一のフォルダの中から ") + QString::number(count) + QStringLiteral(" 個 の ") +
        kindInfo(kind).word + QStringLiteral(" ファイルを読み取りました。　");
    if (unnamable > 0)
        text += QStringLiteral("\r\rファイル名の文字コードが正しくないため、表示できないファイルが ") +
            QString::number(unnamable) + QStringLiteral(" 個 あります。　ファイル名を変更して下さい。　");
    return text;
}

QString pathTooLongText()
{
    return QStringLiteral("「フォルダ名＋ファイル名」 を合計した文字数が \"255\" 文字を超えています。　"
                          "\r\rファイル名を制限文字数以下に変更して下さい。　");
}

} // namespace kumiro
