#!/usr/bin/env bash
# fleet/measure.yml end to end over ssh: an sshd of the test's own on
# 127.0.0.1 (a port of its own, keys made for the test), and an inventory of
# three names that all reach it, each with a folder of its own standing for
# the host. Checks the settings refused before any host is contacted, the
# fetched logs and the summary, a re-run measuring all hosts at once that adds
# to the kept logs (one host's log deleted meanwhile), and an unreachable host
# beside two good ones measured one at a time.
#   measure_test.sh VESKTEST
# The set-up: loopback.sh.
set -uo pipefail
vesktest=$(realpath "$1")
playbook=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/measure.yml
. "$(dirname "${BASH_SOURCE[0]}")/loopback.sh"

# Refused before any host is contacted: nothing reaches the sshd.
while IFS='|' read -r setting message; do
    play bad "$tmp/fleet.yml" -e "$setting"
    [ "$status" -ne 0 ] || fail "$setting: accepted"
    grep -qF "$message" "$tmp/bad.out" || fail "$setting: no \"$message\": $(out bad)"
done <<EOF
vesktest_tests=2,7,|vesktest_tests: '7', '' is not a test
vesktest_tests=4|test 4 reads a file
vesktest_tests=2,5,2|vesktest_tests: 2,5,2 names a test twice.
vesktest_reference=pc9|vesktest_reference: 'pc9' is not a host of the inventory
vesktest_binary=$tmp/none/vesktest|vesktest_binary: there is no file $tmp/none/vesktest
vesktest_repeat=0|vesktest_repeat must be a whole number from 1 to 1000
vesktest_memory=-5|vesktest_memory a whole number of MiB above 0
vesktest_description=LabPC|pc1 and pc2; pc1 and pc3: the same description and label
vesktest_compare=$tmp/none/vesktest|The summary needs vesktest on this machine
EOF
! grep -q Accepted "$ssh/sshd.log" || fail "a host was contacted for refused settings"
[ ! -e "$tmp/hosts" ] || fail "a host folder was made for refused settings"

# Three hosts, one at a time, the build's program copied to each.
play first "$tmp/fleet.yml"
[ "$status" -eq 0 ] || fail "first run: status $status: $(out first)"
for h in pc1 pc2 pc3; do
    cmp -s "$vesktest" "$tmp/hosts/$h/vesktest" || fail "$h: program not copied"
    cmp -s "$tmp/hosts/$h/Result3.txt" "$tmp/results/$h/Result3.txt" || fail "$h: log not fetched"
    [ "$(results $h)" -eq 2 ] || fail "$h: not 2 runs: $(cat "$tmp/results/$h/Result3.txt")"
    cp "$tmp/results/$h/Result3.txt" "$tmp/$h.first"
done
csv=$tmp/results/summary.csv
[[ $(head -n 1 "$csv") == description,label,runs,* ]] || fail "summary.csv header: $(head -n 1 "$csv")"
[ "$(machines)" = "pc1,2 pc2,2 pc3,2 " ] ||
    fail "summary.csv machines: $(cat "$csv")"
grep -q pc3 "$tmp/results/summary.txt" || fail "summary.txt: $(cat "$tmp/results/summary.txt")"
grep -q 'summary.csv and summary.txt' "$tmp/first.out" || fail "summary not shown: $(out first)"

# The program stand-in notes each start and end; with a rendezvous file it
# waits until all three hosts have started, which only a run measuring them
# at once gets past; with a fail file it fails after its runs.
cat >"$tmp/stand-in" <<EOF
#!/bin/sh
host=\$(basename "\$(dirname "\$0")")
# The playbook asks for the version first: on host "bare" the program does
# not even start.
if [ "\$1" != batch ]; then
    [ "\$host" != bare ] || { echo "error while loading shared libraries" >&2; exit 127; }
    exec "$vesktest" "\$@"
fi
echo "start \$host" >>"$tmp/order"
i=0
while [ -e "$tmp/rendezvous" ] && [ "\$(grep -c start "$tmp/order")" -lt 3 ]; do
    i=\$((i + 1))
    [ \$i -lt 600 ] || { echo "\$host: the others never started" >&2; exit 3; }
    sleep 0.2
done
"$vesktest" "\$@"
status=\$?
echo "end \$host" >>"$tmp/order"
# A run that fails after saving its runs.
[ ! -e "$tmp/fail-\$host" ] || status=1
exit \$status
EOF
chmod +x "$tmp/stand-in"

# All at once, again: every kept log gains two runs and keeps the first two,
# also pc3's, whose log on the host was deleted meanwhile.
rm "$tmp/hosts/pc3/Result3.txt"
touch "$tmp/rendezvous"
play again "$tmp/fleet.yml" -e fleet_parallel=true -e "vesktest_binary=$tmp/stand-in"
rm "$tmp/rendezvous"
[ "$status" -eq 0 ] || fail "parallel run: status $status: $(out again)"
for h in pc1 pc2 pc3; do
    [ "$(results $h)" -eq 4 ] || fail "$h: not 4 runs after the re-run"
    cmp -s -n "$(wc -c <"$tmp/$h.first")" "$tmp/$h.first" "$tmp/results/$h/Result3.txt" ||
        fail "$h: earlier runs not kept"
done
[ "$(grep -c '^ *pc3/.*|' "$tmp/hosts/pc3/Result3.txt")" -eq 2 ] || fail "pc3: host log"
grep -q "pc3: the host's Result3.txt does not go on" "$tmp/again.out" || fail "pc3: no notice: $(out again)"
[ "$(machines)" = "pc1,4 pc2,4 pc3,4 " ] ||
    fail "summary.csv after the re-run: $(cat "$csv")"

# An unreachable host first, then two good ones, one at a time, the second
# failing after its runs, and one whose program does not start: every
# failure is reported and listed in the summary with its reason, the runs
# that were finished are kept and summarised, the hosts were measured one
# after the other, and the exit status says that a host was unreachable.
rm "$tmp/order"
touch "$tmp/fail-pc2"
inventory "$tmp/ghost.yml" "ghost:$(free_port)" "pc1:$port" "pc2:$port" "bare:$port"
play ghost "$tmp/ghost.yml" -e "vesktest_binary=$tmp/stand-in"
[ "$status" -eq 4 ] || fail "unreachable host: status $status: $(out ghost)"
grep -q 'fatal: \[ghost\]: UNREACHABLE' "$tmp/ghost.out" || fail "ghost not reported: $(out ghost)"
grep -q 'fatal: \[pc2\]: FAILED' "$tmp/ghost.out" || fail "pc2's failure not reported: $(out ghost)"
[ "$(results pc2)" -eq 6 ] || fail "pc2: the runs of the failed run not kept"
[ "$(tr '\n' ' ' <"$tmp/order")" = "start pc1 end pc1 start pc2 end pc2 " ] ||
    fail "not one host at a time: $(cat "$tmp/order")"
[ "$(machines)" = "pc1,6 pc2,6 pc3,4 " ] ||
    fail "summary.csv beside the unreachable host: $(cat "$csv")"
[ ! -e "$tmp/results/ghost" ] || fail "a folder for the unreachable host"
# The summary lists the hosts it leaves out, each with the reason.
while IFS='|' read -r host reason; do
    grep -Eq "^  $host +$reason" "$tmp/results/summary.txt" ||
        fail "$host not listed as left out: $(cat "$tmp/results/summary.txt")"
done <<EOF
ghost|unreachable: .
pc2|the run failed.*the runs it finished are kept
bare|no vesktest to run: .*does not run: .*error while loading shared libraries
EOF
echo "fleet measured over ssh on 127.0.0.1:$port"
