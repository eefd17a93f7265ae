// The volume list: mountinfo parsing, which mounts become tree roots and
// what kind each is, and finding the volume of a path.
#include <gtest/gtest.h>

#include "browser/DriveList.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

const char* const kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "30 27 8:17 / /media/user/USB\\040STICK rw shared:5 - vfat /dev/sdb1 rw\n"
    "31 27 11:0 / /media/user/DISC ro - iso9660 /dev/sr0 ro\n"
    "32 27 0:40 / /mnt/share rw - nfs4 server:/export rw\n"
    "33 27 0:41 / /tmp rw - tmpfs tmpfs rw\n"
    "34 27 0:42 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "35 27 254:0 /var/lib/x /srv/bound rw - ext4 /dev/vda rw\n"
    "36 27 8:2 / /home rw - ext4 /dev/sda2 rw\n"
    "37 27 0:43 / /mnt/cache rw - tmpfs somecache rw\n"
    "38 27 8:3 / /home rw - xfs /dev/sda3 rw\n"
    "39 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
    "garbage line\n"
    "40 27 8:4 / relative - ext4 /dev/sda4 rw\n"
    "41 27 8:5 / /short\n";

TEST(DriveList, ParsesWellFormedLinesAndDecodesEscapes) {
    const auto mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 15u); // garbage, relative and short lines skipped
    EXPECT_EQ(mounts[4].mountPoint, "/");
    EXPECT_EQ(mounts[4].fsType, "ext4");
    EXPECT_EQ(mounts[4].source, "/dev/vda");
    EXPECT_EQ(mounts[5].mountPoint, "/media/user/USB STICK");
    EXPECT_EQ(mounts[10].root, "/var/lib/x");
    EXPECT_TRUE(ParseMountInfo("").empty());
    EXPECT_TRUE(ParseMountInfo("1 2 3 4 5 6 -\n").empty());
}

TEST(DriveList, ShowsRealVolumesRootFirstWithTheirKinds) {
    const auto removable = [](const std::string& device) { return device == "/dev/sdb1"; };
    const auto volumes = VolumesFromMounts(ParseMountInfo(kMountInfo), removable);
    std::vector<std::string> roots;
    for (const Volume& v : volumes) roots.push_back(v.root);
    EXPECT_EQ(roots, (std::vector<std::string>{"/", "/home", "/media/user/DISC", "/media/user/USB STICK",
                                               "/mnt/share", "/tmp"}));
    EXPECT_EQ(volumes[0].kind, VolumeKind::Fixed);
    EXPECT_EQ(volumes[1].kind, VolumeKind::Fixed);
    EXPECT_EQ(volumes[1].fsType, "xfs"); // the later mount on /home hides the earlier one
    EXPECT_EQ(volumes[2].kind, VolumeKind::CdRom);
    EXPECT_EQ(volumes[3].kind, VolumeKind::Removable);
    EXPECT_EQ(volumes[4].kind, VolumeKind::Network);
    EXPECT_EQ(volumes[5].kind, VolumeKind::Ram);
}

TEST(DriveList, RootIsAlwaysThere) {
    const auto none = VolumesFromMounts({}, nullptr);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].root, "/");
    // An overlay root (containers) still counts.
    const auto overlay = VolumesFromMounts(ParseMountInfo("1 0 0:1 / / rw - overlay overlay rw\n"), nullptr);
    ASSERT_EQ(overlay.size(), 1u);
    EXPECT_EQ(overlay[0].fsType, "overlay");
    const auto machine = ListVolumes();
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(machine[0].root, "/");
}

TEST(DriveList, FindsTheVolumeOfAPathOnFolderBoundaries) {
    const std::vector<Volume> volumes = {{"/", "", "", VolumeKind::Fixed},
                                         {"/home", "", "", VolumeKind::Fixed},
                                         {"/media/cd", "", "", VolumeKind::CdRom}};
    EXPECT_EQ(VolumeIndexForPath(volumes, "/"), 0);
    EXPECT_EQ(VolumeIndexForPath(volumes, "/etc/x"), 0);
    EXPECT_EQ(VolumeIndexForPath(volumes, "/home"), 1);
    EXPECT_EQ(VolumeIndexForPath(volumes, "/home/me/roms"), 1);
    EXPECT_EQ(VolumeIndexForPath(volumes, "/homework"), 0);
    EXPECT_EQ(VolumeIndexForPath(volumes, "/media/cd/GAMES"), 2);
    EXPECT_EQ(VolumeIndexForPath(volumes, "relative"), -1);
    EXPECT_EQ(VolumeIndexForPath({}, "/"), -1);
}

TEST(DriveList, MediaSerialNeedsSomethingMounted) {
    test::TempDir dir;
    EXPECT_EQ(ReadMediaSerial(dir.Path()), -1); // a plain folder: nothing mounted on it
    EXPECT_EQ(ReadMediaSerial(dir.File("missing")), -1);
    EXPECT_GE(ReadMediaSerial("/"), 0);
    EXPECT_EQ(ReadMediaSerial("/"), ReadMediaSerial("/"));
}

} // namespace
} // namespace q64
