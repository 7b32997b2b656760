#include "OfficeCheck.h"

#include "combine/Office.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QUrl>
#include <QXmlStreamReader>

#include <unistd.h>

namespace kumiro::test {

OfficeCheck::OfficeCheck() = default;

QString OfficeCheck::convert(const QString& path, const QString& format, const QString& outDir)
{
    QProcess soffice;
    soffice.setProgram(kOfficeProgramDir + QStringLiteral("/soffice"));
    soffice.setArguments(
        {QStringLiteral("-env:UserInstallation=") + QString::fromUtf8(QUrl::fromLocalFile(profile_.path()).toEncoded()),
         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"), format,
         QStringLiteral("--outdir"), outDir, path});
    // Its temporaries stay in its own profile, so that tests can look for anybody's in /tmp.
    QDir().mkpath(profile_.path() + QStringLiteral("/tmp"));
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), profile_.path() + QStringLiteral("/tmp"));
    soffice.setProcessEnvironment(env);
    soffice.start();
    if (!soffice.waitForFinished(120000))
        soffice.kill();
    const QString ext = format.section(u':', 0, 0);
    const QString out = QDir(outDir).filePath(QFileInfo(path).completeBaseName() + u'.' + ext);
    return QFileInfo::exists(out) ? out : QString();
}

OfficeCheck::Document OfficeCheck::read(const QString& path)
{
    Document doc;
    const QString flat = convert(path, QStringLiteral("fodt"), work_.path());
    QFile file(flat);
    if (!file.open(QIODevice::ReadOnly))
        return doc;
    QXmlStreamReader xml(&file);
    QMap<QString, QString> masterOfStyle; // paragraph style -> page style it starts
    QMap<QString, QString> layoutOfMaster, sizeOfLayout;
    QString currentLayout, currentMaster;
    QMap<QString, QStringList> headersOfMaster;
    int depthInBody = 0;
    bool inBody = false;
    QString blockTag, blockText;
    int blockDepth = -1;
    bool inBinary = false; // embedded pictures are text too
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            const auto attrs = xml.attributes();
            if (name == u"binary-data")
                inBinary = true;
            if (name == u"document-statistic")
                doc.pageCount = attrs.value(QStringLiteral("meta:page-count")).toInt();
            if (name == u"style" && attrs.hasAttribute(QStringLiteral("style:master-page-name")))
                masterOfStyle[attrs.value(QStringLiteral("style:name")).toString()] =
                    attrs.value(QStringLiteral("style:master-page-name")).toString();
            if (name == u"master-page") {
                currentMaster = attrs.value(QStringLiteral("style:name")).toString();
                layoutOfMaster[currentMaster] = attrs.value(QStringLiteral("style:page-layout-name")).toString();
            }
            if ((name == u"header" || name == u"footer") && xml.prefix() == u"style" && !currentMaster.isEmpty()) {
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                if (!text.isEmpty())
                    headersOfMaster[currentMaster] << text;
                continue;
            }
            if (name == u"page-layout")
                currentLayout = attrs.value(QStringLiteral("style:name")).toString();
            if (name == u"page-layout-properties")
                sizeOfLayout[currentLayout] = attrs.value(QStringLiteral("fo:page-width")).toString() +
                    QStringLiteral(" x ") + attrs.value(QStringLiteral("fo:page-height")).toString();
            if (name == u"text" && xml.namespaceUri().endsWith(u"office:1.0"))
                inBody = true;
            if (inBody) {
                ++depthInBody;
                if (name == u"table" && xml.prefix() == u"table") {
                    ++doc.tables;
                    if (blockDepth < 0)
                        doc.blocks << QStringLiteral("table");
                }
                if (name == u"image")
                    ++doc.images;
                if (name == u"note" && xml.prefix() == u"text")
                    ++doc.footnotes;
                if ((name == u"p" || name == u"h") && xml.prefix() == u"text" && depthInBody == 2) {
                    blockTag = name.toString();
                    blockText.clear();
                    blockDepth = depthInBody;
                    const QString style = attrs.value(QStringLiteral("text:style-name")).toString();
                    if (masterOfStyle.contains(style))
                        doc.masters << masterOfStyle[style];
                    else if (doc.masters.isEmpty() && doc.blocks.isEmpty())
                        doc.masters << QStringLiteral("Standard"); // a document starts on the default page
                }
            }
        } else if (xml.isCharacters() && blockDepth > 0 && !inBinary) {
            blockText += xml.text();
        } else if (xml.isEndElement() && inBody) {
            if (name == u"binary-data")
                inBinary = false;
            if (depthInBody == blockDepth) {
                doc.blocks << blockTag + u':' + blockText.trimmed();
                if (!blockText.trimmed().isEmpty())
                    doc.lastParagraph = blockText.trimmed();
                blockDepth = -1;
            }
            if (--depthInBody == 0)
                inBody = false;
        }
    }
    for (const QString& master : doc.masters) {
        doc.pageSizes << sizeOfLayout.value(layoutOfMaster.value(master));
        for (const QString& h : headersOfMaster.value(master))
            if (!doc.headers.contains(h))
                doc.headers << h;
    }
    return doc;
}

namespace {

// Every soffice.bin below `ancestor` (the office may run in a box of a few processes).
QList<pid_t> officesBelow(pid_t ancestor)
{
    QMap<pid_t, pid_t> parents;
    QList<pid_t> offices;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = status.readAll();
        const qsizetype at = s.indexOf("PPid:\t");
        if (at < 0)
            continue;
        parents[pid.toInt()] = s.mid(at + 6, s.indexOf('\n', at) - at - 6).toInt();
        if (s.startsWith("Name:\tsoffice.bin"))
            offices << pid.toInt();
    }
    QList<pid_t> below;
    for (pid_t office : offices) {
        int depth = 0;
        for (pid_t p = parents.value(office); p > 1 && depth < 64; p = parents.value(p), ++depth) {
            if (p == ancestor) {
                below << office;
                break;
            }
        }
    }
    return below;
}

} // namespace

pid_t officeOf(pid_t parent)
{
    const QList<pid_t> offices = officesBelow(parent);
    return offices.isEmpty() ? -1 : offices.first();
}

int officeProcessCount()
{
    // Only this process's own offices: other test programs may run theirs meanwhile.
    return int(officesBelow(getpid()).size());
}

int officeProfileCount()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("kumiro-office-%1-*").arg(getpid())}, QDir::Dirs).size();
}

} // namespace kumiro::test
