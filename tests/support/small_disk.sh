#!/bin/sh
# small_disk.sh mount|unmount DIR
# A tmpfs of 512 KB at DIR, where the placement tests stage a full disk.
# Mounting needs root, or sudo without a password; without either DIR is not
# made, and those tests are skipped and say so.
set -u
action=$1 dir=$2
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}
case $action in
mount)
    mountpoint -q "$dir" && exit 0
    mkdir -p "$dir"
    if ! as_root mount -t tmpfs -o "size=512k,uid=$(id -u),gid=$(id -g)" tovrel-small-disk "$dir"; then
        rmdir "$dir"
        echo "no tmpfs could be mounted at $dir: the full-disk cases are skipped"
    fi
    ;;
unmount)
    if mountpoint -q "$dir"; then
        as_root umount "$dir"
    fi
    rmdir "$dir" 2>/dev/null
    ;;
esac
exit 0
