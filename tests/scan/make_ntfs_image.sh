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
    mkdir -p "$root/docs/deep/er/still" "$root/photos" "$root/data" "$root/other"
    head -c 120 /dev/urandom >"$root/docs/readme.txt"
    head -c 50000 /dev/urandom >"$root/docs/report.pdf"
    : >"$root/docs/empty.dat"
    head -c 9000 /dev/urandom >"$root/docs/deep/er/still/file.bin"
    # Enough entries that the folder's index leaves its record.
    for i in $(seq -w 1 400); do
        printf 'photo %s' "$i" >"$root/photos/img_$i.jpg"
    done
    head -c 12345 /dev/urandom >"$root/data/original.bin"
    ln "$root/data/original.bin" "$root/data/link1.bin"
    ln "$root/data/original.bin" "$root/other/link2.bin"
    truncate -s 8M "$root/sparse.vhd"
    head -c 4096 /dev/urandom | dd of="$root/sparse.vhd" bs=4096 seek=256 conv=notrunc status=none
    printf 'main text' >"$root/streams.txt"
    head -c 20000 /dev/urandom >"$root/streams.txt:extra"
    printf 'hello' >"$root/Ünïcödé 文件.txt"
    head -c 3000 /dev/urandom >"$root/A long file name.text"
    python3 -c 'import os, sys; os.setxattr(sys.argv[1], "system.ntfs_dos_name", b"ALONGF~1.TEX")' \
        "$root/A long file name.text"
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

make_image() {
    local recipe=$1 image=$2 size cluster
    case "$recipe" in
        basic) size=16M cluster=4096 ;;
        fragmented) size=12M cluster=512 ;;
        links) size=8M cluster=4096 ;;
        *) echo "make_ntfs_image: unknown recipe $recipe" >&2; exit 2 ;;
    esac
    rm -f "$image" "$image.many"
    truncate -s "$size" "$image"
    mkntfs_cmd -F -q -Q -c "$cluster" -L "$recipe" "$image" >/dev/null 2>&1
    local dir
    dir=$(mktemp -d)
    ntfs-3g -o streams_interface=windows "$image" "$dir" || { rmdir "$dir"; cannot "ntfs-3g could not mount"; }
    trap 'umount "$dir" 2>/dev/null; rmdir "$dir"' EXIT
    "populate_$recipe" "$dir" "$image"
    umount "$dir"
    rmdir "$dir"
    trap - EXIT
}

case "${1:-}" in
    make) check_tools; make_image "$2" "$3" ;;
    mount) check_tools; ntfs-3g -o ro,streams_interface=windows "$2" "$3" ;;
    unmount) umount "$2" ;;
    *) echo "usage: make_ntfs_image.sh make RECIPE IMAGE | mount IMAGE DIR | unmount DIR" >&2; exit 2 ;;
esac
