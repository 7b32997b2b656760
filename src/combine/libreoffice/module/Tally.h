// What a combine could not carry from an input, counted cheaply and told in plain Japanese.
#pragma once

#include <QList>
#include <QString>

namespace kumiro::lo {

// One kind of thing an input holds: its name for the user, how many the input has and
// how many arrived in the combined file.
struct Counted {
    QString what;
    int input = 0;
    int arrived = 0;
};

// One sentence naming what `path` lost ("… の 表 1 個を取り込めませんでした。"), and what
// arrived only as values (`asValues`, "… の ピボットテーブル 2 個は値として取り込みました。");
// empty when nothing is short.
QString shortfallSentence(const QString& path, const QList<Counted>& counts, const QList<Counted>& asValues = {});

} // namespace kumiro::lo
