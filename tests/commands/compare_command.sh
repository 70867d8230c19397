#!/usr/bin/env bash
# `vesktest compare` without a display: exit status 2 for bad options, 1 and
# the error for a log that cannot be read, and the table of a log with both
# decimal separators and a damaged line as text and as CSV.
#   compare_command.sh VESKTEST
set -uo pipefail
vesktest=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf '%s\r\n' \
    '               Pentium/ WD 2.1G|  1.23| 0.456|  2.34| 180/ 320|  95.3|  4.21|  8.5' \
    'cut short|  1.2' \
    '           Celeron 433/ IBM 10G|  0,61| 0,201|  1,10| 410/ 700| 210,5|  2,05| 16,2' \
    >"$work/log.txt"

"$vesktest" compare --bogus "$work/log.txt" >/dev/null 2>&1
[ $? -eq 2 ] || fail "unknown option does not exit 2"
"$vesktest" compare --text --csv "$work/log.txt" >/dev/null 2>&1
[ $? -eq 2 ] || fail "--text with --csv does not exit 2"
err=$("$vesktest" compare --text "$work/none.txt" 2>&1 >/dev/null)
[ $? -eq 1 ] || fail "missing log does not exit 1"
[[ $err == *none.txt* ]] || fail "missing log not named: $err"

text=$("$vesktest" compare --text "$work/log.txt" 2>"$work/err") || fail "--text failed"
[ "$(wc -l <<<"$text")" -eq 3 ] || fail "--text: not a title and two rows: $text"
[[ $text == *"Celeron 433"*0.61*0.201*210.5* ]] || fail "--text: comma line not read: $text"
grep -q 'log.txt: 1 line skipped (2)' "$work/err" || fail "skipped line not reported"

csv=$("$vesktest" compare --csv "$work/log.txt" 2>/dev/null) || fail "--csv failed"
[ "$(sed -n 2p <<<"$csv")" = "log.txt,Pentium,WD 2.1G,1.23,0.456,2.34,180,320,95.3,4.21,8.5" ] ||
    fail "--csv row: $(sed -n 2p <<<"$csv")"
echo ok
