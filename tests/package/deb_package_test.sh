#!/bin/sh
# usage: deb_package_test.sh build BUILD_DIR SCRATCH
#        deb_package_test.sh check BUILD_DIR SCRATCH CLASS_FILE
# build: installs into a staging folder, makes the .deb of it with CPack and unpacks that
#        into SCRATCH/root with dpkg -x.
# check: runs the unpacked programs and looks at what the package declares and holds.
set -eu

step=$1 build=$2 scratch=$3
root=$scratch/root

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "$step" = build ]; then
    rm -rf "$scratch"
    mkdir -p "$scratch"
    # cpack on its own first makes every target of the tree again, which takes longer than
    # the rest of the suite; the package is the same when CPack packs what `cmake --install`
    # put in a staging folder.
    cmake --install "$build" --prefix "$scratch/stage/usr" --strip >"$scratch/install.log" 2>&1 ||
        { cat "$scratch/install.log" >&2; fail "cmake --install"; }
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" \
        -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$scratch/stage;." \
        >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
    set -- "$scratch"/out/nirdal_*.deb
    [ -f "$1" ] || fail "no nirdal_*.deb in $scratch/out"
    dpkg -x "$1" "$root"
    echo "$1"
    exit 0
fi

class=$4
deb=$(ls "$scratch"/out/nirdal_*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = nirdal ] || fail "the package is not called nirdal"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libqt6gui6 libqt6widgets6 libqt6svg6 libjpeg62-turbo fonts-dejavu-core \
    qt6-translations-l10n; do
    case ", $depends," in
    *", $package "* | *", $package,"*) ;;
    *) fail "Depends lacks $package: $depends" ;;
    esac
done

for file in usr/bin/nirdal usr/bin/nirdal-cli usr/libexec/nirdal/nirdal-export \
    usr/share/applications/org.nirdal.Nirdal.desktop \
    usr/share/metainfo/org.nirdal.Nirdal.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/org.nirdal.Nirdal.svg \
    usr/share/man/man1/nirdal-cli.1.gz usr/share/man/man1/nirdal.1.gz; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
for program in usr/bin/nirdal usr/bin/nirdal-cli usr/libexec/nirdal/nirdal-export; do
    if ldd "$root/$program" | grep -q "not found"; then
        fail "/$program needs a library that is missing: $(ldd "$root/$program" | grep "not found")"
    fi
done
desktop-file-validate "$root/usr/share/applications/org.nirdal.Nirdal.desktop" ||
    fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.nirdal.Nirdal.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata is not valid"
for page in nirdal-cli.1 nirdal.1; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.gz" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "the manual page $page: $warnings"
done

cli=$root/usr/bin/nirdal-cli
"$cli" --help | grep -q "^  analyse " || fail "nirdal-cli --help lists no analyse"
"$cli" --help | grep -q "^  batch " || fail "nirdal-cli --help lists no batch"
"$cli" analyse --tf 4:1,3,3,1 --tf 8:1,3,3,1 >"$scratch/analyse.txt"
grep -q "^  gain margin:    2 (6.02 dB) at ω = 1.73205 rad/s$" "$scratch/analyse.txt" ||
    fail "analyse 4/(s+1)^3: $(cat "$scratch/analyse.txt")"
grep -q "^  verdict:        boundary$" "$scratch/analyse.txt" ||
    fail "analyse 8/(s+1)^3: $(cat "$scratch/analyse.txt")"

# Pictures come from nirdal-export in /usr/libexec/nirdal, found from the installed nirdal-cli.
"$cli" plot --tf 1:1,1 -o "$scratch/plot.png"
[ "$(head -c 4 "$scratch/plot.png" | tail -c 3)" = PNG ] || fail "plot -o wrote no PNG"
"$cli" batch "$class" --plots "$scratch/plots" >"$scratch/batch.txt"
[ -n "$(find "$scratch/plots" -name "*.png")" ] || fail "batch --plots wrote no pictures"
echo "ok: $deb"
