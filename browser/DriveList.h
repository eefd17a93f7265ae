#pragma once
// The machine's mounted volumes as the folder tree shows them: one root per
// volume, "/" first, each typed fixed, removable, CD-ROM, network or RAM from
// its device and file system. Read from /proc/self/mountinfo; the parsing and
// the typing are pure functions so they can be checked on any text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace q64 {

// Also the index of the volume's picture in the tree's picture strip.
enum class VolumeKind : int {
    Fixed = 0,
    Removable = 1,
    CdRom = 2,
    Network = 3,
    Ram = 4,
};

// One line of /proc/self/mountinfo (octal escapes such as "\040" decoded).
struct MountRecord {
    std::string root;        // the mounted part of the file system ("/" for a whole one)
    std::string mountPoint;
    std::string fsType;
    std::string source;      // the device, or the file system's own name
};

struct Volume {
    std::string root;        // the mount point; the tree node's text
    std::string source;
    std::string fsType;
    VolumeKind kind = VolumeKind::Fixed;
};

// Every well-formed line of `text`; malformed lines are skipped.
std::vector<MountRecord> ParseMountInfo(const std::string& text);

// The volumes worth showing among `mounts`: "/" always, then real disks,
// optical media, network shares and RAM disks, without the kernel's own file
// systems, the system's /proc, /sys, /dev and /run trees, or bind mounts of
// sub-folders. A mount point mounted twice keeps the later mount. "/" comes
// first, the rest in mount point order. `isRemovable` answers for a device path.
std::vector<Volume> VolumesFromMounts(const std::vector<MountRecord>& mounts,
                                      const std::function<bool(const std::string& device)>& isRemovable);

// The volumes of this machine now (existing folders only); never empty: "/"
// is given as a fixed volume when nothing can be read.
std::vector<Volume> ListVolumes();

// True when the block device (e.g. "/dev/sdb1") is a removable or USB disk.
bool IsRemovableDevice(const std::string& device);

// A number that identifies the medium mounted at `root`, or -1 when nothing
// is mounted there any more or it cannot be read.
std::int64_t ReadMediaSerial(const std::string& root);

// The volume among `volumes` holding `path` (longest mount point that is a
// prefix on a folder boundary), or -1.
int VolumeIndexForPath(const std::vector<Volume>& volumes, const std::string& path);

} // namespace q64
