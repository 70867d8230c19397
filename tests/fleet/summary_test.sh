#!/usr/bin/env bash
# The fleet's summary over ssh on 127.0.0.1 (the set-up: loopback.sh), with
# two inventory names for this machine and one home folder ($tmp/home) for
# both, as network homes give: each host keeps a log of its own, logs that
# hold the same runs are refused, a run limited with -l is summarised, the
# reference machine is the one asked for, each run is shown as it finishes,
# too few runs are warned of before measuring, and a memory block larger
# than the hosts take is refused before any host is measured.
#   summary_test.sh VESKTEST
set -uo pipefail
vesktest=$(realpath "$1")
playbook=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/measure.yml
. "$(dirname "${BASH_SOURCE[0]}")/loopback.sh"

# No vesktest_dir: the default folder under the home folder, which the
# hosts' facts would make the real one.
inventory "$tmp/lab.yml" "lab1:$port" "lab2:$port"
sed -i 's/, vesktest_dir: [^,}]*//' "$tmp/lab.yml"
home=(-e "ansible_user_dir=$tmp/home")
csv=$tmp/results/summary.csv
# line PATTERN NAME: the number of the first line of NAME's output matching PATTERN.
line() { grep -n -m 1 -e "$1" "$tmp/$2.out" | cut -d: -f1; }

play shared "$tmp/lab.yml" "${home[@]}" -e vesktest_reference=lab2
[ "$status" -eq 0 ] || fail "shared home: status $status: $(out shared)"
for h in lab1 lab2; do
    [ "$(grep -c "^ *$h/.*|" "$tmp/home/vesktest/$h/Result3.txt")" -eq 2 ] ||
        fail "$h: no log of its own: $(ls -R "$tmp/home")"
    # Each run shown as it finished, before the logs are fetched.
    for r in 1 2; do
        n=$(line "^    $h run $r: *$h/.*|" shared)
        [ -n "$n" ] && [ "$n" -lt "$(line "TASK \[Fetch the host's logs\]" shared)" ] ||
            fail "$h: run $r not shown as it finished: $(out shared)"
    done
done
[ "$(machines)" = "lab1,2 lab2,2 " ] || fail "shared home: $(cat "$csv")"
grep -q '^Reference: [0-9]*\. lab2 ' "$tmp/results/summary.txt" ||
    fail "reference not lab2: $(cat "$tmp/results/summary.txt")"
warned=$(line 'Warning: vesktest_repeat=2 gives each host fewer than 4 runs' shared)
[ -n "$warned" ] && [ "$warned" -lt "$(line 'TASK \[Reach the host\]' shared)" ] ||
    fail "too few runs not warned of before measuring: $(out shared)"

# One host of the two: the summary covers both, lab2 with its new runs.
play limited "$tmp/lab.yml" "${home[@]}" -l lab2
[ "$status" -eq 0 ] || fail "-l: status $status: $(out limited)"
[ "$(machines)" = "lab1,2 lab2,4 " ] || fail "-l: summary not made again: $(cat "$csv")"
grep -q 'summary.csv and summary.txt' "$tmp/limited.out" || fail "-l: summary not shown"

# One folder for both, as before each host had one: every run would count
# twice, and no summary is made.
play one_log "$tmp/lab.yml" "${home[@]}" -e "vesktest_dir=$tmp/home/one" -e "results_dir=$tmp/one"
[ "$status" -ne 0 ] || fail "one log: accepted: $(out one_log)"
grep -q '^No summary was made: the logs of some hosts hold the same runs' "$tmp/one/summary.txt" &&
    grep -q '^  lab1 and lab2: 4 runs' "$tmp/one/summary.txt" ||
    fail "one log: $(cat "$tmp/one/summary.txt")"
[ ! -e "$tmp/one/summary.csv" ] || fail "one log: summary.csv written"
grep -q 'No summary was made' "$tmp/one_log.out" || fail "one log: not said: $(out one_log)"

# A block larger than every host takes: refused on every host before any
# test ran.
play memory "$tmp/lab.yml" -e "ansible_user_dir=$tmp/home2" -e vesktest_memory=99999
[ "$status" -ne 0 ] || fail "memory: accepted"
grep -Eq 'vesktest_memory=99999 MiB is more than the memory test takes on lab1 \(at most [0-9]+ MiB\), lab2 \(at most [0-9]+ MiB\); nothing was measured' \
    "$tmp/memory.out" || fail "memory: $(out memory)"
[ -z "$(find "$tmp/home2" -name run.out)" ] || fail "memory: a host was measured"
echo "fleet summaries over ssh on 127.0.0.1:$port"
