# The loopback set-up of the fleet tests, sourced by each: an sshd of the
# test's own on 127.0.0.1 (a port of its own, keys made for the test), an
# Ansible configuration in a temporary folder, inventories of names that all
# reach that sshd, and `play` to run the playbook. Every sshd and playbook it
# starts ends on every path, also before ctest's timeout.
# Set before sourcing: vesktest (the program) and playbook.
# Installs ansible-core, openssh-server and python3-apt where missing (as root
# or with sudo), else skips (exit 77). Works as root and as a user with a
# login shell.
fail() { echo "FAIL: $*"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

missing=()
command -v ansible-playbook >/dev/null || missing+=(ansible-core)
[ -x /usr/sbin/sshd ] || missing+=(openssh-server)
command -v ssh-keygen >/dev/null || missing+=(openssh-client)
/usr/bin/python3 -c 'import apt' 2>/dev/null || missing+=(python3-apt)
if ((${#missing[@]})); then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo -n)
    { "${sudo[@]}" apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"; } >/dev/null 2>&1 || skip "cannot install ${missing[*]}"
fi

tmp=$(mktemp -d /tmp/vt_fleet_XXXXXX)
sshd_pid= play_pid= watchdog_pid=
# Further clean-up of the test, run first.
cleanup_more() { :; }
cleanup() {
    trap - EXIT INT TERM
    cleanup_more
    [ -z "$watchdog_pid" ] || kill "$watchdog_pid" 2>/dev/null
    # The playbook runs under timeout, in a process group of its own.
    [ -z "$play_pid" ] || kill -TERM -- "-$play_pid" 2>/dev/null
    # A batch that a stopped or failed playbook left running on a host (it
    # has no status yet).
    local f
    for f in $(find "$tmp" -name run.pid 2>/dev/null); do
        [ -e "${f%.pid}.status" ] || kill -TERM "$(cat "$f")" 2>/dev/null
    done
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

