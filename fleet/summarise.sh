#!/bin/sh
# Writes the fleet's summary from every results log kept on the controller:
#   summarise.sh DIR PROGRAM [REFERENCE]
# DIR holds one folder per host with its kept log (DIR/HOST/Result3.txt);
# PROGRAM is the vesktest that compares them; REFERENCE, where given, the
# machine the others are compared with (as `compare --reference` takes it).
# Standard input: the hosts of this run that are not in the summary or not
# in full, one a line, "HOST<tab>REASON".
#
# Writes DIR/summary.csv (the machine table) and DIR/summary.txt (the table
# as text, then the hosts left out), and prints summary.txt. Where no
# summary can be made (no log at all, or two hosts' logs holding the same
# runs, so that every run of theirs would count twice), summary.txt says why,
# summary.csv is removed, and the status is 1.
set -u
dir=$1
program=$2
reference=${3:-}
cd "$dir" || exit 1
left_out=$(cat)
export QT_QPA_PLATFORM=offscreen

# The hosts left out, as a section of summary.txt.
left_out_section() {
    [ -n "$left_out" ] || return 0
    echo
    echo "Hosts of this run left out, or measured in part:"
    printf '%s\n' "$left_out" | awk -F '\t' '{ printf "  %-20s %s\n", $1, $2 }'
}

# not_made REASON...: a summary.txt that says so, and no summary.csv.
not_made() {
    rm -f summary.csv
    { echo "No summary was made: $*"; left_out_section; } >summary.txt.new
    mv summary.txt.new summary.txt
    cat summary.txt
    exit 1
}

set -- */Result3.txt
[ -e "$1" ] || not_made "no host's results log was fetched into $dir."
# The logs with runs: a host stopped before its first run ended keeps a log
# of the header alone, which compare refuses ("no result lines").
for log in "$@"; do
    shift
    if "$program" compare --runs --csv "$log" >/dev/null 2>summary.err; then
        set -- "$@" "$log"
    elif ! grep -q ': no result lines$' summary.err; then
        not_made "$program compare could not read $log: $(cat summary.err; rm -f summary.err)"
    fi
done
rm -f summary.err
[ $# -gt 0 ] || not_made "the hosts' results logs in $dir hold no runs."

# A run is its result line: the same line in the logs of two hosts is one
# run counted twice (hosts that share their home folder wrote one log).
# The descriptions of the hosts differ, so two hosts' own runs never make
# the same line.
runs=$("$program" compare --runs --csv "$@" 2>/dev/null) || not_made "$program compare could not read the logs."
shared=$(printf '%s\n' "$runs" | tail -n +2 | awk '
    {
        # The log as compare names it (HOST/Result3.txt, or Result3.txt
        # alone where one log is read), its line number, then the run.
        match($0, /,[0-9]+,/)
        log_name = substr($0, 1, RSTART - 1)
        sub(/\/Result3\.txt$/, "", log_name)
        run = substr($0, RSTART + RLENGTH)
        if (!(run in first)) first[run] = log_name
        else if (first[run] != log_name) shared[first[run] " and " log_name]++
    }
    END { for (pair in shared) print pair ": " shared[pair] " runs" }' | sort)
[ -z "$shared" ] || not_made "the logs of some hosts hold the same runs, which would count twice:
$(printf '%s\n' "$shared" | sed 's/^/  /')
They wrote one log: hosts that share their home folder need a vesktest_dir of
their own (the default, vesktest/HOST, is). Remove the runs of other hosts from
the logs kept in $dir, then run the playbook again."

note=
if [ -n "$reference" ]; then
    set -- --reference "$reference" "$@"
    if ! "$program" compare --csv "$@" >/dev/null 2>&1; then
        # The reference machine has no runs in the logs (left out now and
        # never measured before).
        shift 2
        note="vesktest_reference: no runs of '$reference' in the logs; the first machine is the reference."
    fi
fi
"$program" compare --csv "$@" >summary.csv.new 2>summary.err &&
    "$program" compare --text "$@" >summary.txt.new 2>>summary.err ||
    not_made "$program compare failed: $(cat summary.err)"
rm -f summary.err
{
    [ -z "$note" ] || echo "$note"
    cat summary.txt.new
    left_out_section
} >summary.txt
rm -f summary.txt.new
mv summary.csv.new summary.csv
cat summary.txt
