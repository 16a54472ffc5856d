#!/bin/sh
# small_disk.sh mount|unmount DIR: a tmpfs of 512 KB at DIR, where the placement
# tests stage a full disk. Mounting needs root; without it DIR is not made, and
# those tests are skipped and say so.
dir=$2
if [ "$1" = mount ]; then
    mountpoint -q "$dir" && exit 0
    mkdir -p "$dir"
    mount -t tmpfs -o size=512k tovrel-small-disk "$dir" ||
        { rmdir "$dir"; echo "no tmpfs at $dir: the full-disk cases are skipped"; }
else
    mountpoint -q "$dir" && umount "$dir"
    rmdir "$dir" 2>/dev/null
fi
exit 0
