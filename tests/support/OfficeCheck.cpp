#include "OfficeCheck.h"

#include "combine/Office.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QUrl>
#include <QXmlStreamReader>

#include <signal.h>
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
    QMap<QString, QStringList> headersOfMaster, boldHeadersOfMaster;
    QMap<QString, QString> marginsOfLayout;
    // Paragraph and text styles: parent, font and size (Western and Asian), bold; "" is the
    // default paragraph style.
    struct Style {
        QString parent, font, size, fontAsian, sizeAsian;
        bool bold = false;
    };
    QMap<QString, Style> styles;
    QMap<QString, QString> fontFamily; // font face -> family
    QString currentStyle;
    QStringList blockStyles;
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
            if (name == u"font-face")
                fontFamily[attrs.value(QStringLiteral("style:name")).toString()] =
                    attrs.value(QStringLiteral("svg:font-family")).toString().remove(u'\'');
            if ((name == u"style" || name == u"default-style") && xml.prefix() == u"style") {
                const QString family = attrs.value(QStringLiteral("style:family")).toString();
                currentStyle = family == u"paragraph" || family == u"text"
                    ? (name == u"default-style" ? QString() : attrs.value(QStringLiteral("style:name")).toString())
                    : QStringLiteral("-");
                if (currentStyle != u"-")
                    styles[currentStyle].parent = name == u"default-style"
                        ? QStringLiteral("-")
                        : attrs.value(QStringLiteral("style:parent-style-name")).toString();
            }
            if (name == u"text-properties" && currentStyle != u"-" && styles.contains(currentStyle)) {
                Style& st = styles[currentStyle];
                auto take = [&](const char* attr, QString& into) {
                    const QString v = attrs.value(QLatin1String(attr)).toString();
                    if (!v.isEmpty())
                        into = v;
                };
                take("style:font-name", st.font);
                take("fo:font-size", st.size);
                take("style:font-name-asian", st.fontAsian);
                take("style:font-size-asian", st.sizeAsian);
                st.bold = st.bold || attrs.value(QStringLiteral("fo:font-weight")) == u"bold" ||
                    attrs.value(QStringLiteral("style:font-weight-asian")) == u"bold";
            }
            if (name == u"style" && attrs.hasAttribute(QStringLiteral("style:master-page-name")))
                masterOfStyle[attrs.value(QStringLiteral("style:name")).toString()] =
                    attrs.value(QStringLiteral("style:master-page-name")).toString();
            if (name == u"master-page") {
                currentMaster = attrs.value(QStringLiteral("style:name")).toString();
                layoutOfMaster[currentMaster] = attrs.value(QStringLiteral("style:page-layout-name")).toString();
            }
            if ((name == u"header" || name == u"footer") && xml.prefix() == u"style" && !currentMaster.isEmpty()) {
                // Its text, and whether a paragraph or span of it is bold.
                QString text;
                bool bold = false;
                for (int depth = 1; depth > 0 && !xml.atEnd();) {
                    xml.readNext();
                    if (xml.isStartElement()) {
                        ++depth;
                        bold = bold ||
                            styles.value(xml.attributes().value(QStringLiteral("text:style-name")).toString()).bold;
                    } else if (xml.isEndElement()) {
                        --depth;
                    } else if (xml.isCharacters()) {
                        text += xml.text();
                    }
                }
                text = text.trimmed();
                if (!text.isEmpty())
                    (bold ? boldHeadersOfMaster : headersOfMaster)[currentMaster] << text;
                continue;
            }
            if (name == u"page-layout")
                currentLayout = attrs.value(QStringLiteral("style:name")).toString();
            if (name == u"page-layout-properties") {
                sizeOfLayout[currentLayout] = attrs.value(QStringLiteral("fo:page-width")).toString() +
                    QStringLiteral(" x ") + attrs.value(QStringLiteral("fo:page-height")).toString();
                QStringList margins;
                for (const char* side : {"fo:margin-left", "fo:margin-right", "fo:margin-top", "fo:margin-bottom"})
                    margins << attrs.value(QLatin1String(side)).toString();
                marginsOfLayout[currentLayout] = margins.join(u' ');
            }
            if (name == u"text" && xml.namespaceUri().endsWith(u"office:1.0"))
                inBody = true;
            if (inBody) {
                ++depthInBody;
                if (name == u"table" && xml.prefix() == u"table") {
                    ++doc.tables;
                    if (blockDepth < 0) {
                        doc.blocks << QStringLiteral("table");
                        blockStyles << QStringLiteral("-");
                    }
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
                    blockStyles << style;
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
        doc.pageMargins << marginsOfLayout.value(layoutOfMaster.value(master));
        for (const QString& h : headersOfMaster.value(master) + boldHeadersOfMaster.value(master))
            if (!doc.headers.contains(h))
                doc.headers << h;
        for (const QString& h : boldHeadersOfMaster.value(master))
            if (!doc.boldHeaders.contains(h))
                doc.boldHeaders << h;
    }
    // A block's look: the first font and size found up its style's parents, sizes in
    // percent taken of the parent's.
    auto resolve = [&](QString style, QString Style::*font, QString Style::*size) {
        QString f, sz;
        double scale = 1;
        for (int guard = 0; guard < 20 && style != u"-"; ++guard) {
            const Style st = styles.value(style);
            if (f.isEmpty())
                f = st.*font;
            if (sz.isEmpty() && !(st.*size).isEmpty()) {
                if ((st.*size).endsWith(u'%'))
                    scale *= (st.*size).chopped(1).toDouble() / 100;
                else
                    sz = QString::number((st.*size).chopped(2).toDouble() * scale) + (st.*size).right(2);
            }
            if (style.isEmpty())
                break;
            style = st.parent;
        }
        return fontFamily.value(f, f) + u' ' + sz;
    };
    for (const QString& style : blockStyles)
        doc.looks << (style == u"-" ? QString()
                                    : resolve(style, &Style::font, &Style::size) + QStringLiteral(" / ") +
                              resolve(style, &Style::fontAsian, &Style::sizeAsian));
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

bool signalOurOffice(int signal)
{
    const pid_t office = officeOf(getpid());
    return office > 0 && ::kill(office, signal) == 0;
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
