#!/usr/bin/env bash
# A fleet run stopped with Ctrl-C over ssh on 127.0.0.1 (the set-up:
# loopback.sh): Ctrl-C reaches every process of the job, as a terminal sends
# it, while the first of three hosts is measured. The batch under way stops
# and keeps the runs it finished, no other host starts, what was measured is
# fetched and summarised, the hosts not measured are listed as such, and no
# batch is left running.
#   stop_test.sh VESKTEST
set -uo pipefail
vesktest=$(realpath "$1")
playbook=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/measure.yml
. "$(dirname "${BASH_SOURCE[0]}")/loopback.sh"

inventory "$tmp/fleet.yml" "pc1:$port" "pc2:$port" "pc3:$port"
# In a process group of its own, which the Ctrl-C goes to.
# Many runs: each step of the progress is an ssh command, and on a busy
# machine the batch ran ahead of them (4 runs, and once 40, had all finished
# before the stop came). A run of test 2 takes about a second.
setsid ansible-playbook -i "$tmp/fleet.yml" "$playbook" -e vesktest_repeat=400 >"$tmp/stop.out" 2>&1 &
play_pid=$!
for _ in $(seq 600); do
    grep -q '^    pc1 run 1: ' "$tmp/stop.out" && break
    kill -0 "$play_pid" 2>/dev/null || fail "ended before the stop: $(out stop)"
    sleep 0.2
done
grep -q '^    pc1 run 1: ' "$tmp/stop.out" || fail "pc1's first run not shown: $(out stop)"
kill -INT -- "-$play_pid"
wait "$play_pid"
status=$?
play_pid=
[ "$status" -eq 2 ] || fail "status $status: $(out stop)"
grep -q '^Stopping: ' "$tmp/stop.out" || fail "the stop not said: $(out stop)"

runs=$(grep -c '^ *pc1/.*|' "$tmp/results/pc1/Result3.txt")
[ "$runs" -ge 1 ] && [ "$runs" -lt 400 ] || fail "pc1: $runs runs kept"
echo "pc1 kept $runs runs"
for h in pc2 pc3; do
    [ ! -e "$tmp/hosts/$h/run.out" ] || fail "$h measured after the stop"
done
[ "$(machines)" = "pc1,$runs " ] || fail "summary: $(cat "$tmp/results/summary.csv") $(out stop)"
while IFS='|' read -r host reason; do
    grep -Eq "^  $host +$reason" "$tmp/results/summary.txt" ||
        fail "$host not listed: $(cat "$tmp/results/summary.txt")"
done <<EOF
pc1|stopped while measuring
pc2|not measured: the run was stopped
pc3|not measured: the run was stopped
EOF
for f in "$tmp"/hosts/*/run.pid; do
    ! kill -0 "$(cat "$f")" 2>/dev/null || fail "a batch still runs: $f"
done
echo "fleet stopped over ssh on 127.0.0.1:$port"
