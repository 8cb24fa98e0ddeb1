#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian package on a clean Debian 12 as a lab's administrator would, and takes
# it away again:
#   sudo bash scripts/install_test.sh [DEB] [WORK_DIR]
# DEB: the package (by default built first with scripts/package.sh); WORK_DIR: where the
# minimal system is made (build/install-test). A minimal bookworm from Debian's mirror, then
# `apt-get install ./nirdal_*.deb`, so everything else comes from the archive through the
# package's Depends; there the programs run (versions, an analysis, a picture, the title
# window under xvfb-run), then the package is purged and nothing of it may be left. Prints
# the package's sizes and the packages apt pulled in; the title window is WORK_DIR/title.png.
# Needs root and the network; not part of the test suite.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
. "$source_dir/scripts/chroot_lib.sh"
require_root

deb=${1:-}
work=$(mkdir -p "${2:-$source_dir/build/install-test}" && cd "${2:-$source_dir/build/install-test}" && pwd)
if [ -z "$deb" ]; then
    deb=$(bash "$source_dir/scripts/package.sh" | tail -n 1)
fi
[ -f "$deb" ] || { echo "install_test.sh: no package at $deb" >&2; exit 2; }

root=$work/bookworm
rm -f "$work"/title.png "$work"/title.xwd
trap unmount_chroot EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== a minimal Debian 12 in $root"
make_chroot bookworm "$root"
cp "$deb" "$root/tmp/"
package=/tmp/$(basename "$deb")
in_chroot "$root" 'apt-get update -q >/dev/null'
in_chroot "$root" "dpkg-query -W -f='\${Package}\n' | sort >/tmp/before"

echo "== apt-get install $package"
in_chroot "$root" "apt-get install -y $package" >"$work/apt-install.log" 2>&1 ||
    { tail -n 30 "$work/apt-install.log"; fail "apt-get install"; }
tail -n 8 "$work/apt-install.log"
in_chroot "$root" "dpkg-query -W -f='\${Package}\n' | sort >/tmp/after; comm -13 /tmp/before /tmp/after" \
    >"$work/pulled-in.txt"
in_chroot "$root" 'dpkg -L nirdal' >"$work/package-files.txt"

echo "== the programs"
in_chroot "$root" 'nirdal --version && nirdal-cli --version' || fail "--version"
analysis=$(in_chroot "$root" 'nirdal-cli analyse --tf 2:1,3,3,1:1') || fail "nirdal-cli analyse"
echo "$analysis"
grep -q 'delay margin: *0.539374 s' <<<"$analysis" || fail "analyse: no delay margin of 0.539374 s"
in_chroot "$root" 'cd /tmp && nirdal-cli plot --tf 1:1,1 --tf 2:1,3,3,1:1 -o plot.png' || fail "plot"
[ "$(head -c 8 "$root/tmp/plot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "plot.png is no PNG"

echo "== the title window under xvfb-run (test tools installed for this step only)"
in_chroot "$root" 'dpkg-query -W -f="\${Package}\n" | sort >/tmp/with-nirdal'
in_chroot "$root" 'apt-get install -y -q --no-install-recommends xvfb xauth x11-apps x11-utils' \
    >"$work/apt-tools.log" 2>&1 || { tail -n 20 "$work/apt-tools.log"; fail "test tools"; }
in_chroot "$root" 'dpkg-query -W -f="\${Package}\n" | sort >/tmp/with-tools'

in_chroot "$root" 'cd /tmp && xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
    nirdal & program=\$!
    for i in \$(seq 100); do
        xwininfo -root -tree | grep -q \"(\\\"nirdal\\\" \\\"nirdal\\\")\" && break
        sleep 0.1
    done
    sleep 1
    xwininfo -root -tree | grep \"(\\\"nirdal\\\" \\\"nirdal\\\")\" >windows.txt
    xwd -root -silent >title.xwd
    kill \$program"' || fail "nirdal under xvfb-run"
grep -q . "$root/tmp/windows.txt" || fail "no window of nirdal appeared"
sed 's/^/  /' "$root/tmp/windows.txt"
convert "xwd:$root/tmp/title.xwd" "$work/title.png" 2>/dev/null ||
    cp "$root/tmp/title.xwd" "$work/title.xwd"
in_chroot "$root" 'apt-get purge -y -q xvfb xauth x11-apps x11-utils >/dev/null &&
    apt-get autoremove --purge -y -q >/dev/null' || fail "purging the test tools"

echo "== apt-get purge nirdal"
in_chroot "$root" 'apt-get purge -y nirdal && apt-get autoremove --purge -y' >"$work/apt-purge.log" 2>&1 ||
    { tail -n 20 "$work/apt-purge.log"; fail "apt-get purge"; }
# What is left beyond the clean system may only be what the test tools brought and something
# still installed recommends (apt keeps those), never what the package pulled in.
left=$(in_chroot "$root" 'dpkg-query -W -f="\${Package}\n" | sort | comm -13 /tmp/before - |
    comm -23 - <(comm -13 /tmp/with-nirdal /tmp/with-tools)')
[ -z "$left" ] || fail "packages left behind: $left"
in_chroot "$root" 'dpkg-query -W -f="\${Package}\n" | sort | comm -23 /tmp/before - | grep .' &&
    fail "packages of the clean system removed"
left=$(while read -r file; do
    [ -e "$root$file" ] && [ ! -d "$root$file" ] && echo "$file"
done <"$work/package-files.txt" || true)
[ -z "$left" ] || fail "files left behind: $left"
for dir in /usr/libexec/nirdal /usr/share/doc/nirdal; do
    [ ! -e "$root$dir" ] || fail "$dir left behind"
done

echo "== figures"
echo "package:        $(stat -c %s "$deb") bytes ($(basename "$deb"))"
echo "installed size: $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "pulled in:      $(wc -l <"$work/pulled-in.txt") packages (list in $work/pulled-in.txt)"
echo "title window:   $(ls "$work"/title.png "$work"/title.xwd 2>/dev/null)"
echo "PASS"
