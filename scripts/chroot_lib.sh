# SPDX-License-Identifier: MIT
# Shared by install_test.sh and trixie_test.sh (sourced, not run): a minimal Debian system in
# a folder, made with debootstrap from Debian's mirror, with /proc, /sys and /dev of this
# machine mounted into it while a test runs. Needs root and the network.

mirror=${NIRDAL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
chroot_mounts=()

require_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "$(basename "$0"): needs root (debootstrap, chroot and mounts)" >&2
        exit 2
    fi
    command -v debootstrap >/dev/null || {
        export DEBIAN_FRONTEND=noninteractive
        apt-get install -y -q --no-install-recommends debootstrap
    }
}

# make_chroot SUITE ROOT [INCLUDE,…]: a fresh minimal system of SUITE in ROOT. The packages
# debootstrap fetched are kept beside ROOT, so a second run downloads nothing again.
make_chroot() {
    local suite=$1 root=$2 include=${3:-}
    local cache
    cache="$(dirname "$root")/debootstrap-cache-$suite"
    rm -rf "$root"
    mkdir -p "$root" "$cache"
    debootstrap --variant=minbase --cache-dir="$cache" ${include:+--include="$include"} \
        "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
        tail -n 20 "$root.debootstrap.log" >&2
        echo "debootstrap of $suite failed" >&2
        return 1
    }
    echo "deb $mirror $suite main" >"$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc" && chroot_mounts+=("$root/proc")
    mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys" && chroot_mounts+=("$root/sys")
    mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev" && chroot_mounts+=("$root/dev")
}

unmount_chroot() {
    local i
    for ((i = ${#chroot_mounts[@]} - 1; i >= 0; i--)); do
        umount -R "${chroot_mounts[i]}" 2>/dev/null || umount -lR "${chroot_mounts[i]}" 2>/dev/null
    done
    chroot_mounts=()
}

# in_chroot ROOT COMMAND…: runs a shell command inside ROOT as root, without a terminal.
in_chroot() {
    local root=$1
    shift
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive /bin/bash -c "$*"
}
