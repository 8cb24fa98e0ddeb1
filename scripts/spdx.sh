#!/bin/sh
# SPDX-License-Identifier: MIT
# The licence line at the top of every source file.
#   sh scripts/spdx.sh check [TREE]   names every source file without the line; exit 1 if any
#   sh scripts/spdx.sh add [TREE]     puts the line at the top of those files
# Source files: C++ (.cpp .h), CMake (CMakeLists.txt .cmake), shell scripts (.sh and the CI
# runner), the manual pages, the desktop entry, the AppStream metadata and the icon. The line
# comes first, or second after a "#!" or "<?xml" line. Test data and samples carry none.
set -eu

mode=${1:-check}
tree=${2:-$(dirname "$0")/..}
identifier='SPDX-License-Identifier: MIT'

# The comment that carries the identifier in a file of this name.
comment_for() {
    case $1 in
    *.cpp | *.h | *.h.in) echo "// $identifier" ;;
    *.1) echo ".\\\" $identifier" ;;
    *.xml | *.svg) echo "<!-- $identifier -->" ;;
    *) echo "# $identifier" ;;
    esac
}

# Source files, one a line, relative to the tree; build trees and data are left out.
list_sources() {
    (cd "$tree" && find . \( -name build -o -name .git -o -name corpus -o -name samples \
        -o -name displays \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.h.in' \
        -o -name CMakeLists.txt -o -name '*.cmake' -o -name '*.sh' -o -path ./.ci/run \
        -o -path './packaging/*.1' -o -path './packaging/*.desktop' \
        -o -path './packaging/*.xml' -o -path './packaging/*.svg' \) -print | sort)
}

# True when the file's first line, or its second after "#!" or "<?xml", is the comment.
has_line() {
    expected=$(comment_for "$1")
    first=$(sed -n 1p "$1")
    [ "$first" = "$expected" ] && return 0
    case $first in
    '#!'* | '<?xml'*) [ "$(sed -n 2p "$1")" = "$expected" ] ;;
    *) return 1 ;;
    esac
}

missing=0
for file in $(list_sources); do
    path=$tree/$file
    has_line "$path" && continue
    case $mode in
    check)
        echo "no '$identifier' line at the top: ${file#./}"
        missing=$((missing + 1))
        ;;
    add)
        # sed takes a backslash in the added text as an escape: double it.
        line=$(comment_for "$path" | sed 's/\\/\\\\/g')
        case $(sed -n 1p "$path") in
        '#!'* | '<?xml'*) sed -i "1a\\
$line" "$path" ;;
        *) sed -i "1i\\
$line" "$path" ;;
        esac
        ;;
    *)
        echo "usage: spdx.sh check|add [TREE]" >&2
        exit 2
        ;;
    esac
done
if [ "$missing" -gt 0 ]; then
    echo "$missing source file(s) lack the licence line" >&2
    exit 1
fi
