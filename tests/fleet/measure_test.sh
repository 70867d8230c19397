#!/usr/bin/env bash
# fleet/measure.yml end to end over ssh: an sshd of the test's own on
# 127.0.0.1 (a port of its own, keys made for the test), and an inventory of
# three names that all reach it, each with a folder of its own standing for
# the host. Checks the settings refused before any host is contacted, the
# fetched logs and the summary, a re-run measuring all hosts at once that adds
# to the kept logs (one host's log deleted meanwhile), and an unreachable host
# beside two good ones measured one at a time.
#   measure_test.sh VESKTEST
# Installs ansible-core and openssh-server where missing (as root or with
# sudo), else skips (exit 77). Works as root and as a user with a login shell.
set -uo pipefail
vesktest=$(realpath "$1")
playbook=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/measure.yml
fail() { echo "FAIL: $*"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

missing=()
command -v ansible-playbook >/dev/null || missing+=(ansible-core)
[ -x /usr/sbin/sshd ] || missing+=(openssh-server)
command -v ssh-keygen >/dev/null || missing+=(openssh-client)
if ((${#missing[@]})); then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
    { "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"; } >/dev/null 2>&1 || skip "cannot install ${missing[*]}"
fi

tmp=$(mktemp -d /tmp/vt_fleet_XXXXXX)
sshd_pid= play_pid= watchdog_pid=
cleanup() {
    trap - EXIT INT TERM
    [ -z "$watchdog_pid" ] || kill "$watchdog_pid" 2>/dev/null
    # The playbook runs under timeout, in a process group of its own.
    [ -z "$play_pid" ] || kill -TERM -- "-$play_pid" 2>/dev/null
    [ -z "$sshd_pid" ] || kill "$sshd_pid" 2>/dev/null
    wait $watchdog_pid $play_pid $sshd_pid 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# ctest ends a test that outlives its TIMEOUT with SIGKILL, which no trap
# sees: end this script well before that, through its traps.
(
    trap 'kill $nap 2>/dev/null; exit' TERM
    sleep "${FLEET_TEST_DEADLINE:-480}" &
    nap=$!
    wait $nap && echo "FAIL: deadline reached" && kill -TERM $$
) &
watchdog_pid=$!

user=$(id -un)
ssh=$tmp/ssh
mkdir -p "$ssh" "$tmp/ansible"
ssh-keygen -q -t ed25519 -N '' -f "$ssh/host_key" || fail "ssh-keygen"
ssh-keygen -q -t ed25519 -N '' -f "$ssh/id_ed25519" || fail "ssh-keygen"
echo "from=\"127.0.0.1\" $(cat "$ssh/id_ed25519.pub")" >"$ssh/authorized_keys"
# sshd started as root needs its privilege separation folder.
[ "$(id -u)" -ne 0 ] || [ -d /run/sshd ] || mkdir -m 0755 /run/sshd

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
free_port() {
    local p
    while :; do
        p=$((20000 + RANDOM % 40000))
        port_free "$p" && { echo "$p"; return; }
    done
}
# A free port can be taken before sshd binds it: try a few.
for _ in 1 2 3 4 5; do
    port=$(free_port)
    cat >"$ssh/sshd_config" <<EOF
ListenAddress 127.0.0.1:$port
HostKey $ssh/host_key
PidFile $ssh/sshd.pid
AuthorizedKeysFile $ssh/authorized_keys
AllowUsers $user
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
Subsystem sftp internal-sftp
EOF
    /usr/sbin/sshd -D -e -f "$ssh/sshd_config" 2>>"$ssh/sshd.log" &
    sshd_pid=$!
    for _ in $(seq 100); do
        port_free "$port" || break
        kill -0 "$sshd_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$sshd_pid" 2>/dev/null && ! port_free "$port" && break
    wait "$sshd_pid" 2>/dev/null
    sshd_pid=
done
[ -n "$sshd_pid" ] || fail "sshd did not start: $(tail -n 3 "$ssh/sshd.log")"
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$ssh/host_key.pub")" >"$ssh/known_hosts"

export ANSIBLE_CONFIG=$tmp/ansible/ansible.cfg ANSIBLE_HOME=$tmp/ansible LC_ALL=C.UTF-8
cat >"$ANSIBLE_CONFIG" <<EOF
[defaults]
local_tmp = $tmp/ansible/local
remote_tmp = $tmp/ansible/remote
retry_files_enabled = False
interpreter_python = /usr/bin/python3
[ssh_connection]
ssh_args = -o ControlMaster=no
pipelining = True
EOF

# inventory FILE HOST:PORT...: the hosts, each with a folder of its own.
inventory() {
    local file=$1 h
    shift
    cat >"$file" <<EOF
all:
  vars:
    ansible_host: 127.0.0.1
    ansible_user: $user
    ansible_ssh_private_key_file: $ssh/id_ed25519
    ansible_ssh_common_args: >-
      -F /dev/null -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes
      -o UserKnownHostsFile=$ssh/known_hosts
    vesktest_binary: $vesktest
    vesktest_compare: $vesktest
    vesktest_tests: 2
    vesktest_repeat: 2
    results_dir: $tmp/results
  hosts:
EOF
    for h in "$@"; do
        printf '    %s: {ansible_port: %s, vesktest_dir: %s}\n' "${h%:*}" "${h#*:}" "$tmp/hosts/${h%:*}" \
            >>"$file"
    done
}
inventory "$tmp/fleet.yml" "pc1:$port" "pc2:$port" "pc3:$port"

# play NAME INVENTORY [ARG...]: runs the playbook; its output in $tmp/NAME.out,
# its exit status in $status.
play() {
    local name=$1 inv=$2
    shift 2
    timeout -k 10 300 ansible-playbook -i "$inv" "$playbook" "$@" >"$tmp/$name.out" 2>&1 &
    play_pid=$!
    wait "$play_pid"
    status=$?
    play_pid=
}
out() { cat "$tmp/$1.out"; }
# machines: the summary's machines and their runs, "pc1,2 pc2,2 ".
machines() { tail -n +2 "$tmp/results/summary.csv" | cut -d, -f1,3 | sort | tr '\n' ' '; }
# results HOST: the result lines of the kept copy of HOST's log that HOST wrote.
results() { grep -c "^ *$1/.*|" "$tmp/results/$1/Result3.txt"; }

# Refused before any host is contacted: nothing reaches the sshd.
while IFS='|' read -r setting message; do
    play bad "$tmp/fleet.yml" -e "$setting"
    [ "$status" -ne 0 ] || fail "$setting: accepted"
    grep -qF "$message" "$tmp/bad.out" || fail "$setting: no \"$message\": $(out bad)"
done <<EOF
vesktest_tests=2,7,|vesktest_tests: '7', '' is not a test
vesktest_tests=4|test 4 reads a file
vesktest_tests=2,5,2|vesktest_tests: 2,5,2 names a test twice.
vesktest_deb=$vesktest|Give vesktest_deb or vesktest_binary, not both.
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
grep -q "pc3: the host's log does not go on" "$tmp/again.out" || fail "pc3: no notice: $(out again)"
[ "$(machines)" = "pc1,4 pc2,4 pc3,4 " ] ||
    fail "summary.csv after the re-run: $(cat "$csv")"

# An unreachable host first, then two good ones, one at a time, the second
# failing after its runs: both failures are reported, the runs that were
# finished are kept and summarised, the hosts were measured one after the
# other, and the exit status says that a host was unreachable.
rm "$tmp/order"
touch "$tmp/fail-pc2"
inventory "$tmp/ghost.yml" "ghost:$(free_port)" "pc1:$port" "pc2:$port"
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
echo "fleet measured over ssh on 127.0.0.1:$port"
