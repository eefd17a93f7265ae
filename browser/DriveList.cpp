#include "browser/DriveList.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace q64 {

namespace {

// mountinfo writes space, tab, newline and backslash as three octal digits.
std::string DecodeOctal(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out.push_back(static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    if (path == folder) return true;
    if (folder == "/") return !path.empty() && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

const std::set<std::string> kNetworkTypes = {"nfs",       "nfs4",      "cifs",       "smb3",       "smbfs",
                                             "ncpfs",     "afs",       "9p",         "ceph",       "glusterfs",
                                             "fuse.sshfs", "fuse.rclone", "davfs",   "fuse.davfs2", "lustre"};
const std::set<std::string> kRamTypes = {"tmpfs", "ramfs"};
const std::set<std::string> kOpticalTypes = {"iso9660", "udf"};
const std::set<std::string> kDiskTypes = {"ext2", "ext3",  "ext4", "xfs",     "btrfs", "zfs",     "vfat",
                                          "msdos", "exfat", "ntfs", "ntfs3",  "fuseblk", "f2fs", "jfs",
                                          "reiserfs", "hfsplus", "bcachefs", "nilfs2", "overlay"};

// Folders that hold the system's own mounts, never shown as volumes.
bool InSystemTree(const std::string& mountPoint) {
    for (const char* tree : {"/proc", "/sys", "/dev", "/snap", "/var/lib/docker", "/var/snap"})
        if (StartsWithFolder(mountPoint, tree)) return true;
    if (StartsWithFolder(mountPoint, "/run")) return !StartsWithFolder(mountPoint, "/run/media");
    return false;
}

bool IsUserMediaFolder(const std::string& mountPoint) {
    return mountPoint == "/tmp" || StartsWithFolder(mountPoint, "/media") ||
           StartsWithFolder(mountPoint, "/run/media");
}

} // namespace

std::vector<MountRecord> ParseMountInfo(const std::string& text) {
    std::vector<MountRecord> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> parts;
        std::string part;
        while (fields >> part) parts.push_back(part);
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        const auto dash = std::find(parts.begin(), parts.end(), "-");
        if (parts.size() < 7 || dash == parts.end() || dash - parts.begin() < 6 || parts.end() - dash < 3) continue;
        MountRecord r;
        r.root = DecodeOctal(parts[3]);
        r.mountPoint = DecodeOctal(parts[4]);
        r.fsType = DecodeOctal(*(dash + 1));
        r.source = DecodeOctal(*(dash + 2));
        if (r.mountPoint.empty() || r.mountPoint[0] != '/') continue;
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<Volume> VolumesFromMounts(const std::vector<MountRecord>& mounts,
                                      const std::function<bool(const std::string&)>& isRemovable) {
    std::map<std::string, Volume> byMountPoint; // later mounts replace earlier ones
    for (const MountRecord& m : mounts) {
        const bool isRoot = m.mountPoint == "/";
        if (!isRoot && InSystemTree(m.mountPoint)) {
            byMountPoint.erase(m.mountPoint);
            continue;
        }
        Volume v{m.mountPoint, m.source, m.fsType, VolumeKind::Fixed};
        const bool blockDevice = m.source.rfind("/dev/", 0) == 0;
        bool shown = true;
        if (kOpticalTypes.count(m.fsType) || m.source.rfind("/dev/sr", 0) == 0) {
            v.kind = VolumeKind::CdRom;
        } else if (kNetworkTypes.count(m.fsType)) {
            v.kind = VolumeKind::Network;
        } else if (kRamTypes.count(m.fsType)) {
            v.kind = VolumeKind::Ram;
            shown = isRoot || IsUserMediaFolder(m.mountPoint);
        } else if (blockDevice || kDiskTypes.count(m.fsType)) {
            v.kind = blockDevice && isRemovable && isRemovable(m.source) ? VolumeKind::Removable : VolumeKind::Fixed;
        } else {
            shown = isRoot;
        }
        // A bind mount of a sub-folder (or of a single file) is not a volume of its own.
        if (!isRoot && m.root != "/") shown = false;
        if (shown)
            byMountPoint[m.mountPoint] = v;
        else
            byMountPoint.erase(m.mountPoint);
    }
    std::vector<Volume> out;
    auto root = byMountPoint.find("/");
    out.push_back(root != byMountPoint.end() ? root->second : Volume{"/", "", "", VolumeKind::Fixed});
    for (const auto& [mountPoint, v] : byMountPoint)
        if (mountPoint != "/") out.push_back(v);
    return out;
}

std::vector<Volume> ListVolumes() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Volume> volumes = VolumesFromMounts(ParseMountInfo(text.str()), IsRemovableDevice);
    std::error_code ec;
    volumes.erase(std::remove_if(volumes.begin() + 1, volumes.end(),
                                 [&](const Volume& v) { return !std::filesystem::is_directory(v.root, ec); }),
                  volumes.end());
    return volumes;
}

bool IsRemovableDevice(const std::string& device) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    if (ec) return false;
    const fs::path sysLink = fs::path("/sys/class/block") / real.filename();
    fs::path sysDev = fs::canonical(sysLink, ec);
    if (ec) return false;
    if (sysDev.string().find("/usb") != std::string::npos) return true;
    if (fs::exists(sysDev / "partition", ec)) sysDev = sysDev.parent_path();
    std::ifstream flag(sysDev / "removable");
    int removable = 0;
    return (flag >> removable) && removable == 1;
}

std::int64_t ReadMediaSerial(const std::string& root) {
    struct stat self {}, parent {};
    if (::stat(root.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) return -1;
    if (root != "/") {
        const std::string up = (std::filesystem::path(root) / "..").string();
        // Nothing mounted: the folder lies on its parent's file system.
        if (::stat(up.c_str(), &parent) != 0 || parent.st_dev == self.st_dev) return -1;
    }
    struct statvfs vfs {};
    if (::statvfs(root.c_str(), &vfs) != 0) return -1;
    const std::uint64_t mixed = static_cast<std::uint64_t>(vfs.f_fsid) ^ (static_cast<std::uint64_t>(self.st_dev) << 1);
    return static_cast<std::int64_t>(mixed & 0x7FFFFFFFu);
}

int VolumeIndexForPath(const std::vector<Volume>& volumes, const std::string& path) {
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const std::string& root = volumes[i].root;
        if (StartsWithFolder(path, root) && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

} // namespace q64
