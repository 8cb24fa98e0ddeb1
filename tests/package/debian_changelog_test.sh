#!/bin/sh
# SPDX-License-Identifier: MIT
# usage: debian_changelog_test.sh SOURCE_DIR
# The changelog in Debian's format, read back by dpkg-parsechangelog: a made-up CHANGELOG.md
# of two releases under an unreleased section, then the project's own.
set -eu

source_dir=$1
convert=$source_dir/packaging/debian_changelog.sh
maintainer='Nirdal developers <maintainers@nirdal.org>'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cat >"$work/CHANGELOG.md" <<'MD'
# Changelog

Kept by hand.

## [Unreleased]

### Added
- Something not yet released.

## [1.1.0] - 2027-02-28

### Fixed
- A long item that goes on and on about what was wrong and what was done about it, so that it
  needs more than one line of the Debian changelog at 80 columns.

### Added
- A short item.

## [1.0.0] - 2026-12-09

The first release.
MD
sh "$convert" "$work/CHANGELOG.md" "$maintainer" >"$work/changelog"
parse() { dpkg-parsechangelog -l "$work/changelog" "$@"; }
# 2027-02-28 is a Sunday, 2026-12-09 a Wednesday.
entries=$(parse --format rfc822 --all | grep -E '^(Version|Date):' | tr '\n' '|')
[ "$entries" = "Version: 1.1.0|Date: Sun, 28 Feb 2027 00:00:00 +0000|Version: 1.0.0|Date: Wed, 09 Dec 2026 00:00:00 +0000|" ] ||
    fail "entries $entries"
[ "$(parse -S Maintainer)" = "$maintainer" ] || fail "maintainer $(parse -S Maintainer)"
grep -q "not yet released" "$work/changelog" && fail "the unreleased section was kept"
long=$(awk 'length($0) > 80' "$work/changelog")
[ -z "$long" ] || fail "lines over 80 columns: $long"
# The long item, wrapped, keeps every word in order.
parse -S Changes | tr -s ' \n' '  ' | grep -q "\* A long item that goes on and on about what was wrong and what was done about it, so that it needs more than one line of the Debian changelog at 80 columns\. \. \[ Added \] \* A short item\." ||
    fail "the items lost words: $(parse -S Changes)"
[ "$(grep -c '^  \* ' "$work/changelog")" = 2 ] || fail "not two items"

# The project's own changelog converts, and its newest entry is a dated release.
sh "$convert" "$source_dir/CHANGELOG.md" "$maintainer" >"$work/project"
dpkg-parsechangelog -l "$work/project" -S Version | grep -q '^[0-9]*\.[0-9]*\.[0-9]*$' ||
    fail "CHANGELOG.md converts to no release"
echo "ok: the changelog in Debian's format reads back with dpkg-parsechangelog"
