// The delivered help: each window's help button opens a topic that tells what that place
// does today, and every topic can be reached from the contents.
#include "app/Kinds.h"
#include "platform/Help.h"
#include "app/HelpTopics.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace kumiro;

namespace {

QString deliveredHelp()
{
    QFile f(qEnvironmentVariable("KUMIRO_PROGRAM_DIR") + QStringLiteral("/KUMIRO.html"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The text of the topic that holds the anchor, from its heading to the next one; empty
// when there is no such anchor.
QString topicText(const QString& html, const QString& anchor)
{
    const qsizetype at = html.indexOf(QStringLiteral("name=\"%1\"").arg(anchor));
    if (at < 0)
        return QString();
    const qsizetype start = html.lastIndexOf(QStringLiteral("<h2"), at);
    const qsizetype next = html.indexOf(QStringLiteral("<h2"), at);
    QString text = html.mid(start, (next < 0 ? html.size() : next) - start);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return text.remove(tag);
}

QSet<QString> captured(const QString& html, const QString& pattern)
{
    QSet<QString> found;
    for (auto it = QRegularExpression(pattern).globalMatch(html); it.hasNext();)
        found.insert(it.next().captured(1));
    return found;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A kind's settings tab names its patterns and the formats its 保存形式 offers, as the
    // tab shows them; the file list names every pattern; the backup names every format it
    // may copy and where the disks are mounted.
    void eachPlaceOpensATopicThatTellsWhatItDoes()
    {
        const QString html = deliveredHelp();
        QVERIFY(!html.isEmpty());
        const QString list = topicText(html, QStringLiteral("list"));
        const QString backup = topicText(html, contextAnchor(HelpTopic::Backup));
        for (Kind kind : kAllKinds) {
            const KindInfo& info = kindInfo(kind);
            QVERIFY2(!topicText(html, contextAnchor(info.pickerHelp)).isEmpty(), qPrintable(info.word));
            const QString tab = topicText(html, contextAnchor(info.settingsHelp));
            for (const QString& pattern : info.patterns) {
                QVERIFY2(tab.contains(pattern), qPrintable(info.word + u' ' + pattern));
                QVERIFY2(list.contains(pattern), qPrintable(pattern));
            }
            if (kind == Kind::Text)
                continue;
            QVERIFY2(tab.contains(QStringLiteral("保存形式")), qPrintable(info.word));
            for (const OutputFormat& f : info.outputFormats) {
                QVERIFY2(tab.contains(f.label), qPrintable(f.label));
                QVERIFY2(backup.contains(u'.' + f.extension), qPrintable(f.extension));
            }
        }
        QVERIFY(backup.contains(QStringLiteral("/media/")) && backup.contains(QStringLiteral("/run/media/")));
        for (int context : {6, 22, 23, 28})
            QVERIFY2(!topicText(html, contextAnchor(context)).isEmpty(), qPrintable(contextAnchor(context)));
        QVERIFY(topicText(html, contextAnchor(22)).contains(QStringLiteral("ごみ箱")));
        const QString commandLine = topicText(html, QStringLiteral("commandline"));
        for (const char* words : {"kumiro combine", "kumiro convert", "man kumiro"})
            QVERIFY2(commandLine.contains(QLatin1String(words)), words);
    }

    // Every link inside the help leads to an anchor, and every topic is in the contents.
    void everyTopicIsReachable()
    {
        const QString html = deliveredHelp();
        const QSet<QString> anchors = captured(html, QStringLiteral("<a name=\"([^\"]+)\""));
        const QSet<QString> links = captured(html, QStringLiteral("href=\"#([^\"]+)\""));
        for (const QString& link : links)
            QVERIFY2(anchors.contains(link), qPrintable(link));
        const QString contents = html.left(html.indexOf(QStringLiteral("<h2")));
        const QSet<QString> listed = captured(contents, QStringLiteral("href=\"#([^\"]+)\""));
        for (const QString& topic : captured(html, QStringLiteral("<h2><a name=\"([^\"]+)\"")))
            QVERIFY2(listed.contains(topic), qPrintable(topic));
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
