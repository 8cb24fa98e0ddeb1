#!/usr/bin/env bash
# Prints from the graph screen on a real print server and checks the PDF that arrives.
#
# Starts a private CUPS scheduler by hand (its own configuration, spool, logs and socket, so
# the machine's own printing setup is neither used nor changed), adds Debian's PDF printer
# as its default, runs the print test program against it, and reads the PDF back with
# pdftotext: the heading and one summary line per variant must be there.
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

echo "printing from the graph screen"
reference=$work/reference.pdf
NIRDAL_EXPECT_PRINTER=1 NIRDAL_REFERENCE_PDF=$reference timeout 90 "$program" </dev/null ||
    { show_logs; fail "the print test program failed"; }

for _ in $(seq 300); do
    pdf=$(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work"/marker -print -quit)
    if [ -n "$pdf" ] && [ -z "$(timeout 5 lpstat -o 2>/dev/null)" ] &&
        pdftotext "$pdf" /dev/null 2>/dev/null; then
        break
    fi
    pdf=""
    sleep 0.2
done
[ -n "$pdf" ] || { show_logs; timeout 5 lpstat -W all -o >&2 || true; fail "no PDF arrived in $out"; }
echo "the PDF printer wrote $pdf"

page_info() {
    pdfinfo "$1" | sed -n 's/^\(Pages\|Page size\):[[:space:]]*//p'
}
[ "$(page_info "$pdf" | head -n 1)" = 1 ] || fail "expected one page: $(page_info "$pdf")"
[ "$(page_info "$pdf")" = "$(page_info "$reference")" ] ||
    fail "the page size differs: $(page_info "$pdf") against $(page_info "$reference")"

# The texts, in the order the page draws them; runs of blanks may differ.
words() {
    pdftotext -raw "$1" - 2>/dev/null | tr -s ' '
}
expect() { # TEXT WHAT
    grep -qxF -- "$2" <<<"$1" || { echo "$1" >&2; fail "the page lacks the line: $2"; }
}
heading="АМПЛИТУДНО -ФАЗОВАЯ ЧАСТОТНАЯ ХАРАКТЕРИСТИКА"
printed=$(words "$pdf")
expect "$printed" "$heading"
# The PostScript the PDF printer works from defines its two font subsets under one name;
# ghostscript then loses the letters of one of them for the text layer (not on the page).
# The full lines are read from the page the program drew, and the printed page must look
# the same as that one.
drawn=$(words "$reference")
expect "$drawn" "$heading"
expect "$drawn" "A1 =1.00 A0 =1.00 B0 =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд"
expect "$drawn" "A1 =2.00 A0 =1.00 B0 =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд"
lines=$(grep -c "ЗАПАЗДЫВАНИЕ" <<<"$drawn" || true)
[ "$lines" -eq 2 ] || fail "expected one summary line per variant (2), found $lines"
lines=$(grep -c "ЗАПАЗДЫВАНИЕ" <<<"$printed" || true)
[ "$lines" -eq 2 ] || fail "expected one summary line per variant on paper (2), found $lines"

# Both pages rendered in grey at the printer's 300 dots per inch, over the part of the page
# the picture and its lines take, compared in squares of 12 by 12 dots: the letters'
# outlines come out a little different from the PostScript, a letter missing or another
# in its place changes a square's mean grey by far more.
render() { # PDF NAME
    pdftoppm -r 300 -gray -singlefile -x 0 -y 0 -W 1600 -H 800 "$1" "$work/$2" 2>/dev/null
}
render "$pdf" printed
render "$reference" drawn
size=$(sed -n 2p "$work"/drawn.pgm)
[ "$size" = "$(sed -n 2p "$work"/printed.pgm)" ] || fail "the rendered pages differ in size"
width=${size% *}
height=${size#* }
pixels() {
    tail -c $((width * height)) "$1" | od -An -v -tu1 -w1
}
read -r ink differing < <(paste <(pixels "$work"/printed.pgm) <(pixels "$work"/drawn.pgm) |
    awk -v w="$width" '{
        i = NR - 1; square = int(i / w / 12) * 1000 + int(i % w / 12)
        printed[square] += $1; drawn[square] += $2; if ($2 < 128) ink++
    } END {
        for (square in drawn) {
            d = (printed[square] - drawn[square]) / 144
            if (d > 60 || d < -60) differing++
        }
        print ink + 0, differing + 0
    }')
echo "rendered pages: $ink dark dots drawn, $differing squares differ"
[ "$ink" -gt 10000 ] || fail "the drawn page is nearly empty ($ink dark dots)"
[ "$differing" -eq 0 ] || fail "the printed page does not look like the drawn one"
echo "PASSED: one page as drawn, with the heading and a summary line for each variant"
