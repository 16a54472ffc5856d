#!/bin/sh
# small_disk.sh mount|unmount DIR: a tmpfs of 512 KB at DIR, where the placement
# tests stage a full disk. Mounting needs root (or sudo without a password, as
# scripts/bootstrap uses); without it DIR is not made, and those tests are
# skipped and say so.
dir=$2
sudo=
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo -n"
fi
if [ "$1" = mount ]; then
    mountpoint -q "$dir" && exit 0
    mkdir -p "$dir"
    $sudo mount -t tmpfs -o size=512k,mode=1777 tovrel-small-disk "$dir" ||
        { rmdir "$dir"; echo "no tmpfs at $dir: the full-disk cases are skipped"; }
else
    mountpoint -q "$dir" && $sudo umount "$dir"
    rmdir "$dir" 2>/dev/null
fi
exit 0
