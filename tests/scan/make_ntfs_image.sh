#!/usr/bin/env bash
# Makes a small NTFS image with the Linux NTFS tools, for the file table tests.
#
#   make_ntfs_image.sh make RECIPE IMAGE   a fresh image of RECIPE (basic, fragmented, links)
#   make_ntfs_image.sh mount IMAGE DIR     mounts it read-only with ntfs-3g
#   make_ntfs_image.sh unmount DIR
#
# Exits with 77 when this machine cannot make images (no mkntfs or ntfs-3g, not root, no FUSE).
set -euo pipefail

cannot() {
    echo "make_ntfs_image: $*" >&2
    exit 77
}

check_tools() {
    command -v mkntfs >/dev/null || command -v /usr/sbin/mkntfs >/dev/null || cannot "mkntfs is missing"
    command -v ntfs-3g >/dev/null || cannot "ntfs-3g is missing"
    [ "$(id -u)" -eq 0 ] || cannot "making images needs root"
    [ -c /dev/fuse ] || cannot "FUSE is not available"
}

mkntfs_cmd() { PATH="$PATH:/usr/sbin:/sbin" mkntfs "$@"; }

# Files of every kind the reader must get right.
populate_basic() {
    local root=$1
    mkdir -p "$root/docs/deep/er/still" "$root/photos" "$root/data" "$root/other" "$root/third" \
        "$root/empty" "$root/packed"
    head -c 120 /dev/urandom >"$root/docs/readme.txt"
    head -c 50000 /dev/urandom >"$root/docs/report.pdf"
    : >"$root/docs/empty.dat"
    head -c 9000 /dev/urandom >"$root/docs/deep/er/still/file.bin"
    # Enough entries that the folder's index takes many clusters of its own.
    for i in $(seq -w 1 3000); do
        printf 'photo %s' "$i" >"$root/photos/img_$i.jpg"
    done
    # One file with three names in three folders.
    head -c 12345 /dev/urandom >"$root/data/original.bin"
    ln "$root/data/original.bin" "$root/other/link1.bin"
    ln "$root/data/original.bin" "$root/third/link2.bin"
    truncate -s 8M "$root/sparse.vhd"
    head -c 4096 /dev/urandom | dd of="$root/sparse.vhd" bs=4096 seek=256 conv=notrunc status=none
    printf 'main text' >"$root/streams.txt"
    head -c 20000 /dev/urandom >"$root/streams.txt:extra"
    printf 'hello' >"$root/Ünïcödé 文件.txt"
    # Characters outside the basic plane take two UTF-16 units each.
    printf 'notes' >"$root/emoji 😀𝄞.txt"
    head -c 3000 /dev/urandom >"$root/A long file name.text"
    python3 -c 'import os, sys; os.setxattr(sys.argv[1], "system.ntfs_dos_name", b"ALONGF~1.TEX")' \
        "$root/A long file name.text"
    # Files made in a folder with the compressed attribute are compressed.
    python3 -c 'import os, sys; os.setxattr(sys.argv[1], "system.ntfs_attrib_be", (0x800).to_bytes(4, "big"))' \
        "$root/packed"
    python3 -c 'import sys; sys.stdout.write("the same line again and again\n" * 7000)' \
        >"$root/packed/text.log"
    # A deleted file leaves its record behind, no longer in use.
    head -c 20000 /dev/urandom >"$root/docs/deleted.tmp"
    rm "$root/docs/deleted.tmp"
    local chain="$root/chain" i
    for i in $(seq -w 1 70); do
        chain="$chain/d$i"
    done
    mkdir -p "$chain"
    printf 'bottom' >"$chain/bottom.txt"
}

# A table fragmented into hundreds of pieces, so that its first record needs an attribute list:
# fill the volume with two-cluster files, free every other one and let the table grow into the
# holes. A file and a folder written into the holes are fragmented too.
populate_fragmented() {
    local root=$1 image=$2 i=0
    mkdir "$root/fill"
    while head -c 1000 /dev/zero >"$root/fill/f$i" 2>/dev/null; do
        i=$((i + 1))
    done
    rm -f "$root/fill/f$i" "$root"/fill/f*[02468]
    mkdir "$root/many"
    local made=0
    for i in $(seq 1 8000); do
        { : >"$root/many/m$i"; } 2>/dev/null || break
        made=$i
    done
    # How many there are, for tests that cannot mount the image.
    echo "$made" >"$image.many"
    # Fresh holes for a fragmented file and folder.
    rm -f "$root"/fill/f*[13]
    mkdir -p "$root/frag/folder"
    head -c 150000 /dev/urandom >"$root/frag/big.bin"
    for i in $(seq 1 150); do
        { : >"$root/frag/folder/a_long_entry_name_to_grow_the_index_$i"; } 2>/dev/null || break
    done
}

# One file with so many names that they spill into extension records.
populate_links() {
    local root=$1
    mkdir "$root/links" "$root/elsewhere"
    head -c 3000 /dev/urandom >"$root/links/target.bin"
    for i in $(seq 1 300); do
        ln "$root/links/target.bin" "$root/links/a_fairly_long_link_name_$i.bin"
    done
    ln "$root/links/target.bin" "$root/elsewhere/outside.bin"
}

# The ntfs-3g process serving the mount at a folder (the folder names are unique).
mount_process() {
    pgrep -f -- "ntfs-3g .* $1\$" | head -n 1
}

# Unmounts and waits for ntfs-3g to exit: it may still be writing the image after umount returns.
unmount_and_wait() {
    local dir=$1 pid
    pid=$(mount_process "$dir")
    umount "$dir" || return 1
    while [ -n "$pid" ] && [ -d "/proc/$pid" ]; do
        sleep 0.05
    done
}

make_image() {
    local recipe=$1 image=$2 size cluster sector
    case "$recipe" in
        basic) size=24M cluster=4096 sector=512 ;;
        fragmented) size=12M cluster=512 sector=512 ;;
        # 4,096-byte sectors make 4,096-byte records.
        links) size=8M cluster=4096 sector=4096 ;;
        *) echo "make_ntfs_image: unknown recipe $recipe" >&2; exit 2 ;;
    esac
    rm -f "$image" "$image.many"
    truncate -s "$size" "$image"
    mkntfs_cmd -F -q -Q -T -s "$sector" -c "$cluster" -L "$recipe" "$image" >/dev/null 2>&1
    # Global, for the trap that unmounts when populating fails.
    mount_dir=$(mktemp -d)
    ntfs-3g -o streams_interface=windows "$image" "$mount_dir" ||
        { rmdir "$mount_dir"; cannot "ntfs-3g could not mount"; }
    trap 'unmount_and_wait "$mount_dir"; rmdir "$mount_dir"' EXIT
    "populate_$recipe" "$mount_dir" "$image"
    trap - EXIT
    unmount_and_wait "$mount_dir"
    rmdir "$mount_dir"
}

case "${1:-}" in
    make) check_tools; make_image "$2" "$3" ;;
    mount) check_tools; ntfs-3g -o ro,streams_interface=windows "$2" "$3" ;;
    unmount) unmount_and_wait "$2" ;;
    *) echo "usage: make_ntfs_image.sh make RECIPE IMAGE | mount IMAGE DIR | unmount DIR" >&2; exit 2 ;;
esac
