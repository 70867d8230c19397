#!/usr/bin/env bash
# `vesktest compare` without a display: exit statuses, the help, messages on
# standard error, the machine table as text and CSV, --reference, --group-by
# and --runs over small logs (both decimal separators, damaged lines).
#   compare_command.sh VESKTEST
set -uo pipefail
vesktest=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$work" || exit 1
unset DISPLAY WAYLAND_DISPLAY

line() {  # line DESCRIPTION LABEL LIST SORT OUTPUT FILL READ CYCLES DRAW HDD
    printf '%22s/%8s|%6s|%6s|%6s|%4s/%4s|%6s|%6s|%5s\r\n' "$@"
}
{
    line Pentium 'WD 2.1G' 1.23 0.456 2.34 180 320 95.3 4.21 8.5
    printf 'cut short|  1.2\r\n'
    line 'Celeron 433' 'IBM 10G' 0,61 0,201 1,10 410 700 210,5 2,05 16,2
    line Pentium 'WD 2.1G' 1.25 0.460 2.30 182 318 95.1 4.25 8.4 | cut -c1-60
    line '=1+2' '' 1.20 0.450 2.30 180 320 95.0 4.20 8.6
    line Pentium 'WD 2.1G' 1.25 0.460 2.30 182 318 95.1 4.25 8.4
} >log.txt
mkdir -p pc1 pc2
cp log.txt pc1/Result3.txt
line Pentium 'WD 2.1G' 1.22 0.455 2.33 181 321 95.4 4.22 8.5 >pc2/Result3.txt

# Exit statuses of bad command lines, and the word they say.
while IFS='|' read -r args word; do
    # shellcheck disable=SC2086
    err=$("$vesktest" compare $args log.txt 2>&1 >/dev/null)
    status=$?
    [ $status -eq 2 ] || fail "compare $args: exit $status, not 2"
    [[ $err == *"$word"* ]] || fail "compare $args: '$word' not said: $err"
    [[ $err == *"Usage: vesktest compare"* ]] || fail "compare $args: no usage line: $err"
done <<'EOF'
--bogus|Unknown option 'bogus'
--text --csv|exclude each other
--runs|--runs needs --text or --csv
--text --runs --reference 1|--reference and --group-by are for machines
--text --group-by label|no grouping 'label'
--text --reference 1 --reference 2|--reference is given more than once
--text --reference Athlon|no machine 'Athlon'
--text --reference 9|the table has 3
EOF

help=$("$vesktest" compare --help) || fail "--help failed"
[[ $help == "Usage: vesktest compare "* ]] || fail "--help does not name the command: $help"
[[ $help == *"reads the results log $(dirname "$vesktest")/Result3.txt"* ||
   $help == *"reads the results log "*/vesktest/Result3.txt* ]] || fail "--help: no default log"
[[ $help == *"too few runs"*"at least 6 runs"* ]] || fail "--help: too few runs not explained"

# The machine table: Pentium's two whole lines are one machine.
text=$("$vesktest" compare --text log.txt 2>err.txt) || fail "--text failed"
[[ $text == *"Logs: log.txt"*"Reference: 1. Pentium / WD 2.1G"* ]] || fail "--text: $text"
grep -Eq '^2  Celeron 433 / IBM 10G +1  log.txt:3$' <<<"$text" || fail "--text: no Celeron: $text"
grep -Eq '^2 +2\.[0-9]{3}( +0){3} +8$' <<<"$text" || fail "--text: no overall row of Celeron"
grep -q '^CyclesPerSec: Cycles (M/s), ratio machine / reference$' <<<"$text" ||
    fail "--text: no cycles section"
grep -Eq '^1 +2 +95\.2 +95\.1 +95\.3 +0\.2% +1\.000 +reference$' <<<"$text" || fail "--text: Pentium"
for reason in 'log.txt: line 2: not a result line' 'log.txt: line 4: cut short'; do
    grep -qF "$reason" err.txt || fail "no reason given: $reason: $(cat err.txt)"
done

csv=$("$vesktest" compare --csv log.txt 2>/dev/null) || fail "--csv failed"
scores="ListCreateTime SortTime SortOutputTime FillMemSpeed ReadMemSpeed CyclesPerSec DrawTime HddSpeed
CyclesPerSecAll CyclesPerSecCores FillMemSpeedAll ReadMemSpeedAll DiskSeq1MQ8Read DiskSeq1MQ1Read
DiskRnd4KQ32Read DiskRnd4KQ1Read DiskSeq1MQ8Write DiskSeq1MQ1Write DiskRnd4KQ32Write DiskRnd4KQ1Write"
header="description,label,runs,overall ratio,overall faster,overall slower,overall no difference,overall too few runs"
for s in $scores; do
    for c in runs median min max spread ratio low high "median ratio" p verdict rounded; do
        header+=",$s $c"
    done
done
[ "$(sed -n 1p <<<"$csv")" = "$header" ] || fail "--csv header: $(sed -n 1p <<<"$csv")"
[[ $(sed -n 2p <<<"$csv") == "Pentium,WD 2.1G,2,1.0000,,,,,2,1.24,1.23,1.25,"* ]] ||
    fail "--csv row: $(sed -n 2p <<<"$csv")"
[[ $(sed -n 3p <<<"$csv") == "Celeron 433,IBM 10G,1,"*",1,0.61,0.61,0.61,0.0000,2.0327,,,2.0328,1,too few runs,"* ]] ||
    fail "--csv comma line: $(sed -n 3p <<<"$csv")"
[[ $(sed -n 4p <<<"$csv") == "'=1+2,,1,"* ]] || fail "--csv formula cell: $(sed -n 4p <<<"$csv")"

# The reference by name and by number.
for ref in 'Celeron 433' 'Celeron 433/IBM 10G' 2; do
    row=$("$vesktest" compare --csv --reference "$ref" log.txt 2>/dev/null | sed -n 3p)
    [[ $row == "Celeron 433,IBM 10G,1,1.0000,,,,,1,0.61,0.61,0.61,0.0000,1.0000,,,1.0000,,reference,"* ]] ||
        fail "--reference $ref: $row"
done

# Logs of one name in two folders are told apart; one log named twice is
# read once.
text=$("$vesktest" compare --text --group-by file pc1/Result3.txt pc2/Result3.txt ./pc1/../pc1/Result3.txt 2>err.txt) ||
    fail "--group-by file failed"
[[ $text == *"Logs: pc1/Result3.txt, pc2/Result3.txt"* ]] || fail "logs not told apart: $text"
grep -Eq '^2  pc2/Result3.txt +1  pc2/Result3.txt:1$' <<<"$text" || fail "--group-by file: $text"
grep -q 'pc1/../pc1/Result3.txt: named more than once, read once' err.txt ||
    fail "twice-named log not reported: $(cat err.txt)"
grep -q 'pc1/Result3.txt: line 2: not a result line' err.txt || fail "message without folder"

# An unreadable log beside a readable one: the table still comes, exit 1.
mkdir folder.txt
out=$("$vesktest" compare --csv log.txt none.txt folder.txt 2>err.txt)
[ $? -eq 1 ] || fail "unreadable logs do not exit 1"
[ "$(wc -l <<<"$out")" -eq 4 ] || fail "readable log not shown: $out"
grep -q '^none.txt: cannot be read: ' err.txt || fail "missing log not named: $(cat err.txt)"
grep -q '^folder.txt: cannot be read: is a folder' err.txt || fail "folder not named"

# A log without result lines says so and exits 1, as an unreadable one does.
out=$("$vesktest" compare --csv /dev/null 2>err.txt)
[ $? -eq 1 ] || fail "/dev/null does not exit 1"
[ "$out" = "$header" ] || fail "/dev/null: $out"
grep -qx 'null: no result lines' err.txt || fail "/dev/null: $(cat err.txt)"

# "-" is standard input.
out=$("$vesktest" compare --csv - <log.txt 2>/dev/null) || fail "standard input not read"
[ "$(wc -l <<<"$out")" -eq 4 ] || fail "standard input: $out"

# --runs: one row per result line with its log and line number.
runs=$("$vesktest" compare --csv --runs log.txt pc2/Result3.txt 2>/dev/null) || fail "--runs failed"
# A result line carries none of the figures beyond its own (twelve empty
# cells) and no conditions.
conditions=quiet,thread_cpu_share,other_cpu_before_pct,other_cpu_during_pct,steal_pct,clock_min_mhz,clock_max_mhz,governor,throttle_events,max_temperature_c,on_battery,disturbances
[ "$(sed -n 1p <<<"$runs")" = "log,line,description,label,$(tr -s ' \n' ',' <<<"$scores" | sed 's/,$//'),$conditions" ] ||
    fail "--runs header: $(sed -n 1p <<<"$runs")"
[ "$(sed -n 3p <<<"$runs")" = "log.txt,3,Celeron 433,IBM 10G,0.61,0.201,1.10,410,700,210.5,2.05,16.2,,,,,,,,,,,," ] ||
    fail "--runs row: $(sed -n 3p <<<"$runs")"
[ "$(sed -n 6p <<<"$runs")" = "Result3.txt,1,Pentium,WD 2.1G,1.22,0.455,2.33,181,321,95.4,4.22,8.5,,,,,,,,,,,," ] ||
    fail "--runs second log: $(sed -n 6p <<<"$runs")"
text=$("$vesktest" compare --text --runs log.txt 2>/dev/null) || fail "--runs --text failed"
grep -Eq '^log.txt +3  Celeron 433 +IBM 10G +0\.61 +0\.201 ' <<<"$text" || fail "--runs --text: $text"

# Records: a records log beside the results log it goes with. Its records
# hold two of the log's lines; a third line has no record (an older Save).
mkdir -p rec
record() {  # record HOST CYCLES QUIET LINE
    printf '{"description": "P", "disk_label": "L", "CyclesPerSec": %s, "tests": [2], "host": "%s",' "$2" "$1"
    printf ' "cpu_brand": "Brand", "memory_mib": 512, "conditions": {"other_cpu_during_pct": 97,'
    printf ' "disturbances": ["other processes used 97%% of a CPU"]}, "quiet": %s, "line": "%s"}\n' "$3" "$4"
}
l1=$(line P L 0.00 0.000 0.00 0 0 100.0 0.00 0.0 | tr -d '\r')
l2=$(line P L 0.00 0.000 0.00 0 0 101.0 0.00 0.0 | tr -d '\r')
l3=$(line P L 0.00 0.000 0.00 0 0 102.0 0.00 0.0 | tr -d '\r')
printf '%s\r\n' "$l1" "$l2" "$l3" >rec/Result3.txt
{ record pc1 100 true "$l1"; record pc1 101 false "$l2"; } >rec/Result3.jsonl
text=$("$vesktest" compare --text rec/Result3.txt rec/Result3.jsonl 2>err.txt) || fail "records: $(cat err.txt)"
grep -Eq '^1  P / L +3  ' <<<"$text" || fail "records: not 3 runs of one machine by description: $text"
grep -q '2 result lines counted once, as their records' err.txt || fail "records: pairing not said: $(cat err.txt)"
grep -q 'P / L: 1 of 3 runs not quiet' err.txt || fail "records: not quiet not counted: $(cat err.txt)"
# The records alone: every run has one, so machines are the records' hosts.
text=$("$vesktest" compare --text --quiet-only rec/Result3.jsonl 2>err.txt) || fail "--quiet-only failed"
[[ $text == *"Machines by host, processor and memory, quiet runs only"* ]] || fail "--quiet-only: $text"
grep -Eq '^1  pc1 / Brand, 512 MiB +1  ' <<<"$text" || fail "--quiet-only: not one run of pc1: $text"
grep -q 'pc1 / Brand, 512 MiB: 1 runs not quiet, left out (1 kept)' err.txt || fail "--quiet-only: $(cat err.txt)"
runs=$("$vesktest" compare --csv --runs rec/Result3.txt rec/Result3.jsonl 2>/dev/null) || fail "records --runs"
[ "$(wc -l <<<"$runs")" -eq 4 ] || fail "records --runs: not 3 runs: $runs"
grep -qx 'Result3.jsonl,2,P,L,,,,,,101.0,,,false,,,97,,,,,,,,other processes used 97% of a CPU' <<<"$runs" ||
    fail "records --runs: no conditions: $runs"

# A full standard output is an error.
if [ -w /dev/full ]; then
    "$vesktest" compare --csv log.txt >/dev/full 2>err.txt
    [ $? -eq 1 ] || fail "a full standard output does not exit 1"
    grep -q 'standard output' err.txt || fail "full output not reported: $(cat err.txt)"
fi
echo ok
