#!/bin/sh
# SPDX-License-Identifier: MIT
# usage: debian_changelog.sh CHANGELOG.md MAINTAINER
# Writes CHANGELOG.md in Debian's changelog format on standard output: the package is native
# (its version is the program's), so /usr/share/doc/nirdal/changelog.gz is read by dpkg and
# lintian as a Debian changelog. Every "## [VERSION] - DATE" section becomes one entry,
# "nirdal (VERSION) unstable", signed by MAINTAINER at midnight UTC of DATE; its "### Kind"
# headings become "[ Kind ]", its "- " items "* " items, wrapped within 80 columns; its
# other paragraphs stay as text. An "[Unreleased]" section is left out.
set -eu

changelog=$1 maintainer=$2

awk -v maintainer="$maintainer" '
function flush_text(   words, count, i, line, lead, rest) {
    if (text == "")
        return
    count = split(text, words, /[ \t]+/)
    lead = item ? "  * " : "  "
    rest = item ? "    " : "  "
    line = lead
    for (i = 1; i <= count; i++) {
        if (words[i] == "")
            continue
        if (line != lead && line != rest && length(line) + 1 + length(words[i]) > 78) {
            print line
            line = rest
        }
        line = (line == lead || line == rest) ? line words[i] : line " " words[i]
    }
    print line
    text = ""
}
function close_entry() {
    flush_text()
    if (version != "") {
        print ""
        cmd = "date -u -R -d " date
        cmd | getline stamp
        close(cmd)
        print " -- " maintainer "  " stamp
        print ""
    }
    version = ""
}
/^## \[/ {
    close_entry()
    skipping = ($0 ~ /^## \[Unreleased\]/)
    if (skipping)
        next
    version = $2
    gsub(/[][]/, "", version)
    date = $4
    if (date !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$/) {
        print "debian_changelog.sh: no date in: " $0 > "/dev/stderr"
        exit 1
    }
    print "nirdal (" version ") unstable; urgency=medium"
    print ""
    first = 1
    gap = 0
    next
}
version == "" || skipping { next }
/^[ \t]*$/ { flush_text(); gap = 1; next }
/^### / {
    flush_text()
    sub(/^### /, "")
    if (!first) print ""
    print "  [ " $0 " ]"
    first = 0
    gap = 0
    next
}
/^- / {
    flush_text()
    if (gap && !first) print ""
    item = 1
    text = substr($0, 3)
    first = 0
    gap = 0
    next
}
{
    if (text == "") {
        if (gap && !first) print ""
        item = 0
    }
    sub(/^[ \t]+/, "")
    text = text == "" ? $0 : text " " $0
    first = 0
    gap = 0
}
END { close_entry() }
' "$changelog"
