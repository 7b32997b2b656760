// Which mounts the drive lists show and which the backup may write to, read from mountinfo
// texts as a desktop and a container have them.
#include "platform/DriveList.h"
#include "platform/Mounts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kumiro;

namespace {

// A desktop with a USB stick and a card mounted by the desktop, a floppy and a fixed disk
// under /media, a DVD, disks under /mnt with binds of them, a network share, and the
// system's own mounts.
const QByteArray kDesktop = R"(22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw
24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw
25 22 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8104632k,nr_inodes=2026158,mode=755
26 22 0:25 / /run rw,nosuid,nodev,noexec,relatime shared:11 - tmpfs tmpfs rw,size=1627164k,mode=755
27 22 259:1 / /boot/efi rw,relatime shared:28 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077
28 22 259:3 / /home rw,relatime shared:29 - ext4 /dev/nvme0n1p3 rw
29 22 7:1 / /snap/core22/1380 ro,nodev,relatime shared:30 - squashfs /dev/loop1 ro
30 26 0:48 / /run/user/1000 rw,nosuid,nodev,relatime shared:500 - tmpfs tmpfs rw,size=1627160k,mode=700,uid=1000
31 30 0:50 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:520 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000
32 22 8:17 / /media/alice/USB\040STICK rw,nosuid,nodev,relatime shared:600 - vfat /dev/sdb1 rw,uid=1000,gid=1000
33 26 8:33 / /run/media/alice/CARD rw,nosuid,nodev,relatime shared:610 - exfat /dev/sdc1 rw,uid=1000
34 22 11:0 / /media/alice/DVD ro,nosuid,nodev,relatime shared:620 - iso9660 /dev/sr0 ro,uid=1000
35 22 2:0 / /media/floppy rw,nosuid,nodev,noexec,relatime shared:630 - vfat /dev/fd0 rw
36 22 8:1 / /media/fixed rw,relatime shared:640 - ext4 /dev/sda1 rw
37 22 8:49 / /mnt/backup rw,relatime shared:650 - ext4 /dev/sdd1 rw
38 22 8:49 / /mnt/backup-again rw,relatime shared:650 - ext4 /dev/sdd1 rw
39 22 259:3 /alice/projects /mnt/projects rw,relatime shared:29 - ext4 /dev/nvme0n1p3 rw
40 22 0:60 / /mnt/nas rw,relatime shared:660 - nfs4 nas:/export rw,vers=4.2,addr=192.168.1.5
41 22 0:61 / /media/ramdisk rw,relatime shared:670 - tmpfs tmpfs rw,size=65536k
42 22 8:65 / /mediastore rw,relatime shared:680 - ext4 /dev/sde1 rw
43 22 8:81 / /mnt2 rw,relatime shared:690 - ext4 /dev/sdf1 rw
44 22 8:97 / /media/bob/STICK rw,nosuid,nodev,relatime shared:700 - vfat /dev/sdg1 rw,uid=1001
45 22 8:113 / /media/alice/OLD rw,nosuid,nodev,relatime shared:710 - vfat /dev/sdh1 rw
46 45 0:62 / /media/alice/OLD rw,relatime shared:720 - tmpfs tmpfs rw,size=1024k
)";

// A container: an overlay root, files and folders of the host bound in, the user's home
// among them, and memory file systems.
const QByteArray kContainer =
    R"(600 500 0:70 / / rw,relatime master:300 - overlay overlay rw,lowerdir=/var/lib/docker/overlay2/l/A,upperdir=/d,workdir=/w
601 600 0:72 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw
602 600 0:73 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755
603 602 0:74 / /dev/pts rw,nosuid,noexec,relatime - devpts devpts rw,gid=5,mode=620,ptmxmode=666
604 600 0:75 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro
605 604 0:26 / /sys/fs/cgroup ro,nosuid,nodev,noexec,relatime - cgroup2 cgroup rw
606 600 254:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - ext4 /dev/vda1 rw
607 600 254:1 /var/lib/docker/containers/abc/hostname /etc/hostname rw,relatime - ext4 /dev/vda1 rw
608 600 254:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw,relatime - ext4 /dev/vda1 rw
609 600 254:1 /srv/work /mnt/work rw,relatime - ext4 /dev/vda1 rw
610 600 254:1 /home/dev/.cache /mnt/cache rw,relatime - ext4 /dev/vda1 rw
611 600 254:1 /home/dev /home/dev rw,relatime - ext4 /dev/vda1 rw
612 600 0:80 / /mnt/scratch rw,nosuid,nodev - tmpfs tmpfs rw,size=1048576k
613 600 0:24 / /mnt/sandbox/tools ro,nosuid,nodev,relatime - tmpfs tools_unavailable ro,size=4k,mode=755
614 602 0:81 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k
)";

QStringList roots(const QList<Volume>& volumes)
{
    QStringList out;
    for (const Volume& v : volumes)
        out << v.root;
    return out;
}

bool put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestMounts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mountinfoLinesAreRead()
    {
        const QList<MountInfo> mounts = parseMountInfo(kDesktop + "not a mountinfo line\n\n");
        QCOMPARE(mounts.size(), 25);
        const MountInfo& stick = mounts[10];
        QCOMPARE(stick.mountPoint, QStringLiteral("/media/alice/USB STICK"));
        QCOMPARE(stick.device, QStringLiteral("8:17"));
        QCOMPARE(stick.fsType, QStringLiteral("vfat"));
        QCOMPARE(stick.source, QStringLiteral("/dev/sdb1"));
        QVERIFY(!stick.readOnly);
        QVERIFY(mounts[12].readOnly);
        QCOMPARE(mounts[17].fsRoot, QStringLiteral("/alice/projects"));
        // This machine's own list, which the system reports with no size.
        QVERIFY(roots(userVolumesFrom(readMountInfo(), QDir::homePath())).startsWith(QStringLiteral("/")));
        QVERIFY(!readMountInfo().isEmpty());
    }

    // The root, the home and the disks inside /media, /run/media and /mnt: each once, never a
    // bind of a folder, a memory or network file system, a mount hidden by a later one, nor a
    // folder whose name only begins like those.
    void driveListShowsWhatAFileChooserShows()
    {
        QCOMPARE(roots(userVolumesFrom(parseMountInfo(kDesktop), QStringLiteral("/home/alice"))),
                 (QStringList{QStringLiteral("/"), QStringLiteral("/home"), QStringLiteral("/media/alice/DVD"),
                              QStringLiteral("/media/alice/USB STICK"), QStringLiteral("/media/bob/STICK"),
                              QStringLiteral("/media/fixed"), QStringLiteral("/media/floppy"),
                              QStringLiteral("/mnt/backup"), QStringLiteral("/run/media/alice/CARD")}));
        // In a container only the root and the user's home are the user's; the host's
        // folders and files bound in are not disks.
        QCOMPARE(roots(userVolumesFrom(parseMountInfo(kContainer), QStringLiteral("/home/dev"))),
                 (QStringList{QStringLiteral("/"), QStringLiteral("/home/dev")}));
        QCOMPARE(roots(userVolumesFrom(parseMountInfo(kContainer), QStringLiteral("/root"))),
                 QStringList{QStringLiteral("/")});
        // The home and its Documents right after the root, once each; Documents only when it
        // is a folder inside the home.
        const auto places = withPlaces(userVolumesFrom(parseMountInfo(kContainer), QStringLiteral("/home/dev")),
                                       QStringLiteral("/home/dev"), QStringLiteral("/home/dev/Documents"));
        QCOMPARE(
            roots(places),
            (QStringList{QStringLiteral("/"), QStringLiteral("/home/dev/Documents"), QStringLiteral("/home/dev")}));
        QCOMPARE(places[1].name, QStringLiteral("ドキュメント"));
        QCOMPARE(
            roots(withPlaces({{QStringLiteral("/"), QString()}}, QStringLiteral("/home/a"), QStringLiteral("/home/a"))),
            (QStringList{QStringLiteral("/"), QStringLiteral("/home/a")}));
    }

    // The disks the desktop mounted for this user, and those right under /media that are
    // removable; never one that cannot be written, another user's, a fixed disk, or a
    // user whose name only begins like this one's.
    void backupMediaAreTheUsersRemovableDisks()
    {
        const QList<MountInfo> mounts = parseMountInfo(kDesktop);
        const auto removable = [](const QString& device) { return device == u"2:0"; };
        const QList<Volume> media = removableMediaOf(mounts, QStringLiteral("alice"), removable);
        QCOMPARE(roots(media),
                 (QStringList{QStringLiteral("/media/alice/USB STICK"), QStringLiteral("/media/floppy"),
                              QStringLiteral("/run/media/alice/CARD")}));
        QCOMPARE(media[0].name, QStringLiteral("USB STICK"));
        QCOMPARE(media[1].name, QStringLiteral("floppy"));
        QCOMPARE(roots(removableMediaOf(mounts, QStringLiteral("al"), removable)),
                 QStringList{QStringLiteral("/media/floppy")});
        QVERIFY(removableMediaOf(parseMountInfo(kContainer), QStringLiteral("dev"), [](const QString&) {
                    return true;
                }).isEmpty());
    }

    // A partition is as removable as its disk, which alone says so.
    void removableIsToldByTheDisk()
    {
        QTemporaryDir sys;
        const QString usb = sys.filePath(QStringLiteral("devices/pci0000:00/usb1/1-1/block/sdb"));
        const QString nvme = sys.filePath(QStringLiteral("devices/pci0000:00/nvme/nvme0/nvme0n1"));
        QVERIFY(put(usb + QStringLiteral("/removable"), "1\n"));
        QVERIFY(put(usb + QStringLiteral("/sdb1/partition"), "1\n"));
        QVERIFY(put(nvme + QStringLiteral("/removable"), "0\n"));
        QVERIFY(put(nvme + QStringLiteral("/nvme0n1p1/partition"), "1\n"));
        QVERIFY(QDir().mkpath(sys.filePath(QStringLiteral("dev/block"))));
        const auto link = [&](const QString& target, const QString& device) {
            return QFile::link(target, sys.filePath(QStringLiteral("dev/block/") + device));
        };
        QVERIFY(link(usb, QStringLiteral("8:16")));
        QVERIFY(link(usb + QStringLiteral("/sdb1"), QStringLiteral("8:17")));
        QVERIFY(link(nvme + QStringLiteral("/nvme0n1p1"), QStringLiteral("259:1")));
        QVERIFY(isRemovableDevice(QStringLiteral("8:16"), sys.path()));
        QVERIFY(isRemovableDevice(QStringLiteral("8:17"), sys.path()));
        QVERIFY(!isRemovableDevice(QStringLiteral("259:1"), sys.path()));
        QVERIFY(!isRemovableDevice(QStringLiteral("8:99"), sys.path()));
    }
};

#include "support/TestMain.h"

KUMIRO_TEST_GUILESS_MAIN(TestMounts)
#include "test_mounts.moc"
