#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package of the checked-out commit in one command:
#   bash scripts/package.sh                        # build/package, the .deb in build/package/deb
#   bash scripts/package.sh BUILD_DIR [OUT_DIR]     # another build folder (OUT_DIR: BUILD_DIR/deb)
#   bash scripts/package.sh --pack-only BUILD_DIR OUT_DIR   # packs a finished build again
# The programs are compiled with Debian's flags from dpkg-buildflags, hardening included, on
# top of the project's own (no contraction, no fast math), and stripped as dh_strip does.
# Every date in the package is SOURCE_DATE_EPOCH, the time of the last commit unless set, and
# every file belongs to root with fixed modes: two builds of one commit give the same bytes.
# The path of the .deb is the last line printed.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
pack_only=false
if [ "${1:-}" = --pack-only ]; then
    pack_only=true
    shift
    [ $# -eq 2 ] || { echo "usage: package.sh --pack-only BUILD_DIR OUT_DIR" >&2; exit 2; }
fi
build=$(mkdir -p "${1:-$source_dir/build/package}" && cd "${1:-$source_dir/build/package}" && pwd)
out=${2:-$build/deb}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null) || {
        echo "package.sh: not a git checkout: set SOURCE_DATE_EPOCH to the release's time" >&2
        exit 2
    }
fi
export SOURCE_DATE_EPOCH

if ! $pack_only; then
    # dpkg-buildflags maps the folder it runs in out of the file names it compiles in; the
    # build folder is mapped the same way, so no path of this machine stays in the programs.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cd "$source_dir"
    cppflags=$(dpkg-buildflags --get CPPFLAGS)
    cxxflags="$(dpkg-buildflags --get CXXFLAGS) -ffile-prefix-map=$build=build"
    ldflags=$(dpkg-buildflags --get LDFLAGS)
    # Release only for NDEBUG: the optimisation level is the one in Debian's flags. The
    # meta-object code includes the headers by their path under src/, not by a path up from
    # the build folder, which would differ from one folder to another. No compiler cache: a
    # cached object may carry the folder names of the build it came from in its debug
    # information, and so in the build id.
    unset CMAKE_CXX_COMPILER_LAUNCHER
    cmake -S "$source_dir" -B "$build" -UCMAKE_CXX_COMPILER_LAUNCHER \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
        "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" \
        -DCMAKE_INSTALL_PREFIX=/usr -DNIRDAL_BUILD_TESTS=OFF -DNIRDAL_BUILD_BENCHMARKS=OFF \
        -DCMAKE_AUTOMOC_PATH_PREFIX=ON \
        >"$build/configure.log" || { cat "$build/configure.log" >&2; exit 1; }
    # Qt's resource compiler dates the embedded pictures SOURCE_DATE_EPOCH, and the meta-
    # object code follows this script's settings: a build folder made at another commit or by
    # another version of this script makes them again.
    stamp="$SOURCE_DATE_EPOCH $(sha256sum <"$0")"
    if [ "$(cat "$build/package-stamp" 2>/dev/null)" != "$stamp" ]; then
        # Not under CMakeFiles: the objects of the generated code go to folders named like
        # them there, which the build (CMake 3.31's at least) does not make again.
        find "$build" -name CMakeFiles -prune -o -type d \( -name .rcc -o -name '*_autogen' \) \
            -prune -exec rm -rf {} +
        echo "$stamp" >"$build/package-stamp"
    fi
    cmake --build "$build" -j"${JOBS:-1}" >"$build/build.log" ||
        { tail -50 "$build/build.log" >&2; exit 1; }
fi

# The staged tree: installed, stripped of symbols and of the .comment and .note sections,
# with one date, one owner and fixed modes whatever the umask and the clock.
stage=$(mktemp -d "${TMPDIR:-/tmp}/nirdal-stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >"$stage.log" 2>&1 || { cat "$stage.log" >&2; exit 1; }
rm -f "$stage.log"
while IFS= read -r -d '' file; do
    if [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ]; then
        strip --remove-section=.comment --remove-section=.note "$file"
    fi
done < <(find "$stage" -type f -print0)
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -perm /0111 -exec chmod 0755 {} +
find "$stage" -type f ! -perm /0111 -exec chmod 0644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# CPack writes the control file, with the libraries' packages from dpkg-shlibdeps, and
# the md5sums; dpkg-deb then packs control and data again in name order, every member and
# file dated SOURCE_DATE_EPOCH and owned by root.
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out/cpack" \
    -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$stage;." \
    >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; exit 1; }
cpack_deb=$(find "$out/cpack" -maxdepth 1 -name 'nirdal_*.deb')
[ -n "$cpack_deb" ] || { echo "package.sh: CPack made no .deb" >&2; exit 1; }
tree=$out/tree
mkdir -p "$tree"
cp -a "$stage/." "$tree/"
mkdir -m 0755 "$tree/DEBIAN"
dpkg-deb -e "$cpack_deb" "$tree/DEBIAN"
(cd "$tree" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$tree/DEBIAN/md5sums"
chmod 0644 "$tree/DEBIAN"/*
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
deb=$out/$(basename "$cpack_deb")
dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
rm -rf "$tree" "$out/cpack"
echo "$deb"
