#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints from the graph screen on a real print server and checks the PDF that arrives.
#
# Starts a private CUPS scheduler by hand (its own configuration, spool, logs and socket, so
# the machine's own printing setup is neither used nor changed), adds Debian's PDF printer
# as its default, runs the print test program against it (a page at the matrix preset and
# one at the laser preset) and reads both PDFs back with poppler: the axis's length on
# paper, every text on its page and apart from the others, every coefficient entry there.
#
# usage: cups_print_test.sh PRINT_TEST_PROGRAM
# Exit status 77 (skipped) when not root, since the PDF printer's backend runs only as
# root, or when CUPS, the PDF printer or poppler-utils are missing (scripts/setup.sh
# installs them).
set -euo pipefail

program=$1
skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || skip "needs root: the PDF printer's backend runs only as root"
for tool in cupsd lpadmin lpstat pdftotext flock timeout getent; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
backend=/usr/lib/cups/backend/cups-pdf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -x "$backend" ] && [ -f "$ppd" ] || skip "the PDF printer (printer-driver-cups-pdf) is missing"

work=$(mktemp -d /tmp/nirdal-cups-XXXXXX)
chmod 755 "$work" # the scheduler's own user must reach its spool below
cupsd_pid=""
pdf=""
cleanup() {
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$cupsd_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    [ -z "$pdf" ] || [ -n "${KEEP_PDF:-}" ] || rm -f "$pdf"
    [ -n "${KEEP_PDF:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

show_logs() {
    echo "--- scheduler log" >&2
    cat "$work"/log/error_log >&2 2>/dev/null || true
    echo "--- scheduler output" >&2
    cat "$work"/log/cupsd.out >&2 2>/dev/null || true
}

mkdir -p "$work"/etc/ppd "$work"/spool/tmp "$work"/cache "$work"/state "$work"/log
socket=$work/cups.sock
cat >"$work"/etc/cupsd.conf <<CONF
Listen $socket
LogLevel warn
WebInterface No
Browsing No
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$work"/etc/cups-files.conf <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
CONF

export CUPS_SERVER=$socket
cupsd -f -c "$work"/etc/cupsd.conf -s "$work"/etc/cups-files.conf \
    </dev/null >"$work"/log/cupsd.out 2>&1 &
cupsd_pid=$!

running=no
for _ in $(seq 100); do
    if timeout 5 lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; then
        running=yes
        break
    fi
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.2
done
[ "$running" = yes ] || { show_logs; fail "the print scheduler did not start"; }
echo "scheduler is running (pid $cupsd_pid, socket $socket)"

timeout 20 lpadmin -p NirdalPDF -E -v cups-pdf:/ -P "$ppd" 2>&1 | grep -v deprecated || true
timeout 20 lpadmin -d NirdalPDF
# The PDF printer takes PostScript. Made by poppler's cairo renderer, the PostScript keeps
# the text's letters, so that they can be read back from the PDF; ghostscript's loses them.
timeout 20 lpadmin -p NirdalPDF -o pdftops-renderer-default=pdftocairo
timeout 10 lpstat -d | grep -q 'NirdalPDF' || { show_logs; fail "the PDF printer is not the default"; }

# Where the PDF printer puts a job of this user: its Out setting, ~/PDF by default.
user=$(id -un)
home=$(getent passwd "$user" | cut -d: -f6)
out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)
out=${out:-'${HOME}/PDF'}
out=${out//'${HOME}'/$home}
out=${out//'${USER}'/$user}
mkdir -p "$out"
# A default printer of the user's own (~/.cups/lpoptions) must not stand in for ours.
mkdir -p "$work"/home
export HOME=$work/home

# Other runs of this test on the machine write into the same folder: one at a time.
exec 9>/tmp/nirdal-cups-print-test.lock
flock -w 150 9 || fail "another print test holds the lock"
touch "$work"/marker

echo "printing from the graph screen: the matrix preset, then the laser preset"
entries=$work/entries.txt
NIRDAL_EXPECT_PRINTER=1 NIRDAL_EXPECTED_ENTRIES=$entries timeout 90 "$program" </dev/null ||
    { show_logs; fail "the print test program failed"; }

pdfs=()
for _ in $(seq 300); do
    mapfile -t pdfs < <(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work"/marker -printf '%T@ %p\n' |
        sort -n | cut -d' ' -f2-)
    if [ "${#pdfs[@]}" -ge 2 ] && [ -z "$(timeout 5 lpstat -o 2>/dev/null)" ] &&
        pdftotext "${pdfs[0]}" /dev/null 2>/dev/null && pdftotext "${pdfs[1]}" /dev/null 2>/dev/null; then
        break
    fi
    sleep 0.2
done
[ "${#pdfs[@]}" -eq 2 ] || { show_logs; timeout 5 lpstat -W all -o >&2 || true; fail "expected two PDFs in $out, found ${#pdfs[@]}"; }
for pdf in "${pdfs[@]}"; do
    [ "$(pdfinfo "$pdf" | sed -n 's/^Pages:[[:space:]]*//p')" = 1 ] ||
        fail "$pdf: expected one page: $(pdfinfo "$pdf" | grep Pages)"
done
[ -z "${KEEP_PDF:-}" ] || echo "kept: ${pdfs[*]}"
# What the program handed to the printer, as the scheduler keeps it: a PDF of Qt's.
sent=("$work"/spool/d00001-001 "$work"/spool/d00002-001)
for job in "${sent[@]}"; do
    [ "$(head -c 4 "$job" 2>/dev/null)" = "%PDF" ] || fail "the scheduler kept no PDF as $job"
done

# The horizontal axis is the longest run of ink in a row of the page, rendered at 150 dots
# per inch without smoothing: 799 and 2399 printer dots at the printer's 300 per inch.
axis_length() { # PDF → pixels at 150 per inch
    pdftoppm -r 150 -gray -aa no -aaVector no -singlefile -H 1800 "$1" "$work/axis" 2>/dev/null
    local size width
    size=$(sed -n 2p "$work"/axis.pgm)
    width=${size% *}
    tail -c "$(( ${size% *} * ${size#* } ))" "$work"/axis.pgm | od -An -v -tu1 -w1 |
        awk -v w="$width" '{
            if ((NR - 1) % w == 0) run = 0
            run = $1 < 128 ? run + 1 : 0
            if (run > longest) longest = run
        } END { print longest + 0 }'
}
check_axis() { # PDF DOTS
    local pixels expected
    pixels=$(axis_length "$1")
    expected=$(awk -v d="$2" 'BEGIN { print d / 300 * 150 }')
    awk -v p="$pixels" -v e="$expected" 'BEGIN { exit !(p >= e * 0.99 && p <= e * 1.01 + 1) }' ||
        fail "$1: the horizontal axis is $pixels pixels at 150 per inch, not $expected ($2 dots at 300 per inch)"
    echo "horizontal axis: $pixels pixels at 150 per inch = $(awk -v p="$pixels" 'BEGIN { printf "%.1f", p / 150 * 25.4 }') mm (expected $(awk -v d="$2" 'BEGIN { printf "%.1f", d / 300 * 25.4 }') mm)"
}
check_axis "${pdfs[0]}" 799
check_axis "${pdfs[1]}" 2399

# Both pages rendered in grey without smoothing over their upper part, printed against
# sent, compared in squares of 6 by 6 pixels: the letters come out a little different from
# the printer's PostScript, a letter missing or another in its place changes a square's
# mean grey by far more.
looks_alike() { # PRINTED SENT
    pdftoppm -r 150 -gray -singlefile -W 1240 -H 1100 "$1" "$work/printed" 2>/dev/null
    pdftoppm -r 150 -gray -singlefile -W 1240 -H 1100 "$2" "$work/sent" 2>/dev/null
    local size width height
    size=$(sed -n 2p "$work"/sent.pgm)
    [ "$size" = "$(sed -n 2p "$work"/printed.pgm)" ] || fail "the rendered pages differ in size"
    width=${size% *}
    height=${size#* }
    pixels() {
        tail -c $((width * height)) "$1" | od -An -v -tu1 -w1
    }
    read -r ink differing < <(paste <(pixels "$work"/printed.pgm) <(pixels "$work"/sent.pgm) |
        awk -v w="$width" '{
            i = NR - 1; square = int(i / w / 6) * 1000 + int(i % w / 6)
            printed[square] += $1; sent[square] += $2; if ($2 < 128) ink++
        } END {
            for (square in sent) {
                d = (printed[square] - sent[square]) / 36
                if (d > 60 || d < -60) differing++
            }
            print ink + 0, differing + 0
        }')
    echo "rendered pages: $ink dark pixels sent, $differing squares differ"
    [ "$ink" -gt 3000 ] || fail "the page sent is nearly empty ($ink dark pixels)"
    [ "$differing" -eq 0 ] || fail "$1 does not look like the page sent"
}
looks_alike "${pdfs[0]}" "${sent[0]}"
looks_alike "${pdfs[1]}" "${sent[1]}"

# The texts are read from the pages sent: the PDF printer makes its PDF from PostScript
# through ghostscript, whose text layer loses letters and gives the glyphs of its Type 3
# fonts boxes far taller than they are (the pages look the same, as checked above).
# Every word's box lies on its page and overlaps no other (poppler's boxes, in points).
check_boxes() { # PDF
    pdftotext -bbox "$1" - 2>/dev/null | awk '
        /<page / { match($0, /width="[^"]*"/); pw = substr($0, RSTART + 7, RLENGTH - 8) + 0
                   match($0, /height="[^"]*"/); ph = substr($0, RSTART + 8, RLENGTH - 9) + 0 }
        /<word / {
            n++
            split($0, f, "\"")
            x0[n] = f[2]; y0[n] = f[4]; x1[n] = f[6]; y1[n] = f[8]
            t = $0; sub(/^.*">/, "", t); sub(/<\/word>.*$/, "", t); word[n] = t
            if (x0[n] < 0 || y0[n] < 0 || x1[n] > pw || y1[n] > ph) {
                print "off the page: " word[n]; bad++
            }
        }
        END {
            for (a = 1; a <= n; a++)
                for (b = a + 1; b <= n; b++)
                    if (x0[a] < x1[b] - 0.1 && x0[b] < x1[a] - 0.1 &&
                        y0[a] < y1[b] - 0.1 && y0[b] < y1[a] - 0.1) {
                        print "overlapping: " word[a] " and " word[b]; bad++
                    }
            print n " words"
            exit bad > 0
        }' || fail "$1: texts overlap or leave the page"
}
for pdf in "${sent[@]}"; do
    check_boxes "$pdf"
done

# Every coefficient entry of every variant, with runs of blanks taken as one.
words() {
    pdftotext -raw "$1" - 2>/dev/null | tr -s ' \n' '  '
}
[ -s "$entries" ] || fail "the print test program wrote no entries"
for pdf in "${sent[@]}"; do
    printed=$(words "$pdf")
    grep -qF -- "АМПЛИТУДНО -ФАЗОВАЯ ЧАСТОТНАЯ ХАРАКТЕРИСТИКА" <<<"$printed" ||
        { echo "$printed" >&2; fail "$pdf lacks the heading"; }
    count=0
    while IFS= read -r entry; do
        entry=$(tr -s ' ' <<<"$entry" | sed 's/ $//')
        grep -qF -- "$entry" <<<"$printed" || { echo "$printed" >&2; fail "$pdf lacks the entry: $entry"; }
        count=$((count + 1))
    done <"$entries"
    echo "$pdf: all $count entries found"
done
echo "PASSED: both presets at the printer's 300 dots per inch, every text whole and apart"
