#pragma once

// The kernel's table of mounts, for the POSIX back ends only: which mount holds a path, and what
// is mounted there.

#include <string>
#include <vector>

namespace scan {

struct MountEntry {
    std::string mountPoint;
    std::string fileSystem;
    // The device or image the file system lives on, as the mount table names it.
    std::string source;
};

// Every mount of this process's view, in the order of /proc/self/mountinfo.
std::vector<MountEntry> readMountTable();
// The mount whose mount point is the longest prefix of the absolute path `path`.
bool findMountOf(const std::string& path, MountEntry& mount);
// Whether the file system is NTFS: by its type, or, for a FUSE mount, by the signature in the
// boot sector of its device when that can be read.
bool isNtfsMount(const MountEntry& mount);

}  // namespace scan
