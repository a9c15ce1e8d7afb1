#!/usr/bin/python3
"""Lists the files and folders of an NTFS image as The Sleuth Kit reads it, an oracle the
project did not write. Run by the system interpreter, which has the pytsk3 bindings.

One line per name, fields separated by tabs:
  record  D|F  size  allocated  created  first  path
record is the file's record number; size the logical size of its unnamed data stream; allocated
the bytes of the clusters its non-resident data streams (and, for a folder, its index) occupy;
created the creation time in seconds since 1970; first is 1 on the name that comes first among
the record's long names (its DOS name never counts) and 0 on the others.
Names in deleted entries are left out. Exits with 77 when pytsk3 is missing.
"""
import sys

try:
    import pytsk3
except ImportError:
    sys.exit(77)

DOS = 2


def allocated_bytes(handle, folder, cluster):
    total = 0
    wanted = {int(pytsk3.TSK_FS_ATTR_TYPE_NTFS_DATA)}
    if folder:
        wanted.add(int(pytsk3.TSK_FS_ATTR_TYPE_NTFS_IDXALLOC))
    for attribute in handle:
        if int(attribute.info.type) not in wanted:
            continue
        if not int(attribute.info.flags) & int(pytsk3.TSK_FS_ATTR_NONRES):
            continue
        for run in attribute:
            if int(run.flags) & (int(pytsk3.TSK_FS_ATTR_RUN_FLAG_SPARSE) | int(pytsk3.TSK_FS_ATTR_RUN_FLAG_FILLER)):
                continue
            total += run.len * cluster
    return total


def first_long_name(handle):
    """(parent record, name) of the record's first $FILE_NAME that is not a DOS name."""
    for attribute in handle:
        if int(attribute.info.type) != int(pytsk3.TSK_FS_ATTR_TYPE_NTFS_FNAME):
            continue
        value = handle.read_random(
            0, attribute.info.size, int(attribute.info.type), attribute.info.id)
        if len(value) < 66 or value[65] == DOS:
            continue
        parent = int.from_bytes(value[0:6], "little")
        return parent, value[66:66 + 2 * value[64]].decode("utf-16-le", "surrogatepass")
    return None


def main():
    filesystem = pytsk3.FS_Info(pytsk3.Img_Info(sys.argv[1]))
    cluster = filesystem.info.block_size
    out = sys.stdout.buffer
    pending = [(filesystem.info.root_inum, "")]
    while pending:
        folder_record, folder_path = pending.pop()
        for entry in filesystem.open_dir(inode=folder_record):
            name = entry.info.name
            text = name.name.decode("utf-8", "surrogateescape")
            if text in (".", "..") or not int(name.flags) & int(pytsk3.TSK_FS_NAME_FLAG_ALLOC):
                continue
            meta = entry.info.meta
            record = name.meta_addr
            # The Sleuth Kit's own virtual folder of orphans has no record on the disk. It also
            # lists a name for the extension record that takes $MFT's name when the table needs
            # an attribute list; an extension record is no file, and its link count is 0.
            if meta is None or text == "$OrphanFiles" or meta.nlink == 0:
                continue
            folder = int(meta.type) == int(pytsk3.TSK_FS_META_TYPE_DIR)
            path = folder_path + "/" + text if folder_path else text
            first = first_long_name(entry)
            is_first = first is not None and first == (folder_record, text)
            fields = [
                str(record),
                "D" if folder else "F",
                str(0 if folder else meta.size),
                str(allocated_bytes(entry, folder, cluster)),
                str(max(meta.crtime, 0)),
                "1" if is_first else "0",
                path,
            ]
            out.write("\t".join(fields).encode("utf-8", "surrogateescape") + b"\n")
            if folder and record != folder_record:
                pending.append((record, path))


if __name__ == "__main__":
    main()
