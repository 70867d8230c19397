#!/usr/bin/env bash
# The commands and inventory of docs/fleet.md, as written, over ssh on
# 127.0.0.1 (the set-up: loopback.sh): the page's inventory (lab.yml) with a
# second inventory that points its hosts at the test's sshd, gives each a
# folder in the test's own and keeps the tests short (test 2, one run), run
# from a copy of the source tree's layout. The plain command, then the
# package's, which installs a stand-in package on this machine with apt
# (root only; purged afterwards; skipped where a vesktest package or
# /usr/bin/vesktest is there already).
#   documented_test.sh VESKTEST
set -uo pipefail
vesktest=$(realpath "$1")
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
playbook=$source_dir/fleet/measure.yml
. "$(dirname "${BASH_SOURCE[0]}")/loopback.sh"
installed=
cleanup_more() { [ -z "$installed" ] || dpkg --purge vesktest >/dev/null 2>&1; }

doc=$source_dir/docs/fleet.md
# The first yaml block, and the sh block's commands.
awk '/^```yaml$/ { inside = 1; next } inside && /^```$/ { exit } inside' "$doc" >"$tmp/lab.yml"
mapfile -t commands < <(awk '/^```sh$/ { inside = 1; next } inside && /^```$/ { exit } inside' "$doc")
hosts=$(awk '/^  hosts:$/ { inside = 1; next } inside && /^    [^ ]*:/ { sub(/^ */, ""); sub(/:.*/, ""); print }' \
    "$tmp/lab.yml")
[ -n "$hosts" ] && ((${#commands[@]} == 3)) || fail "no inventory or commands in $doc"

# The hosts' connection and a short measurement; nothing the page sets.
{
    echo "all:"
    echo "  hosts:"
    for h in $hosts; do
        cat <<EOF
    $h:
      ansible_host: 127.0.0.1
      ansible_port: $port
      ansible_user: $user
      ansible_ssh_private_key_file: $ssh/id_ed25519
      ansible_ssh_common_args: >-
        -F /dev/null -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes
        -o UserKnownHostsFile=$ssh/known_hosts
      vesktest_dir: $tmp/hosts/$h
      vesktest_tests: 2
      vesktest_repeat: 1
EOF
    done
} >"$tmp/loopback.yml"

# The source tree's layout: the playbook (copied, so that its results stay
# here), the program and the package.
tree=$tmp/tree
mkdir -p "$tree/build/release"
cp -r "$source_dir/fleet" "$tree/fleet"
rm -rf "$tree/fleet/results"
ln -s "$vesktest" "$tree/build/release/vesktest"
cp "$tmp/lab.yml" "$tree/lab.yml"

# run N: the page's command N, with the second inventory after the page's.
run() {
    local -a words
    read -r -a words <<<"${commands[$1]}"
    [ "${words[0]} ${words[1]} ${words[2]}" = "ansible-playbook -i lab.yml" ] ||
        fail "not a command of the playbook: ${commands[$1]}"
    (cd "$tree" && exec timeout -k 10 300 "${words[0]}" -i lab.yml -i "$tmp/loopback.yml" \
        "${words[@]:3}") <<<"" >"$tmp/run$1.out" 2>&1 &
    play_pid=$!
    wait "$play_pid"
    status=$?
    play_pid=
}
summary=$tree/fleet/results/summary.csv
documented() { tail -n +2 "$summary" | cut -d, -f1,3 | sort | tr '\n' ' '; }

run 0
[ "$status" -eq 0 ] || fail "${commands[0]}: status $status: $(cat "$tmp/run0.out")"
[ "$(documented)" = "build-vm,1 office-01,1 office-02,1 " ] || fail "${commands[0]}: $(cat "$summary")"

[ "$(id -u)" -eq 0 ] || skip "the package's command installs a package: root only"
command -v dpkg-deb >/dev/null || skip "no dpkg-deb"
! dpkg-query -W vesktest >/dev/null 2>&1 && [ ! -e /usr/bin/vesktest ] ||
    skip "a vesktest package or /usr/bin/vesktest is installed here"
# The stand-in package: /usr/bin/vesktest runs the program under test.
deb=$(awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^vesktest_deb=/) { sub(/^vesktest_deb=/, "", $i); print $i } }' \
    <<<"${commands[2]}")
[ -n "$deb" ] || fail "no vesktest_deb in ${commands[2]}"
mkdir -p "$tmp/deb/DEBIAN" "$tmp/deb/usr/bin"
printf 'Package: vesktest\nVersion: 1.1\nArchitecture: all\nMaintainer: fleet test <root@localhost>\nDescription: stand-in for the fleet test\n' \
    >"$tmp/deb/DEBIAN/control"
printf '#!/bin/sh\nexec %s "$@"\n' "$vesktest" >"$tmp/deb/usr/bin/vesktest"
chmod 755 "$tmp/deb/usr/bin/vesktest"
dpkg-deb -b --root-owner-group "$tmp/deb" "$tree/$deb" >/dev/null || fail "dpkg-deb"
installed=1
run 2
[ "$status" -eq 0 ] || fail "${commands[2]}: status $status: $(cat "$tmp/run2.out")"
dpkg-query -W vesktest >/dev/null 2>&1 || fail "the package was not installed"
# The three hosts are this one machine: whichever gets apt's lock first
# installs it, the others find it installed.
grep -q 'changed: \[' <(sed -n '/TASK \[Install it with apt\]/,/^$/p' "$tmp/run2.out") ||
    fail "not installed with apt: $(cat "$tmp/run2.out")"
[ "$(documented)" = "build-vm,2 office-01,2 office-02,2 " ] || fail "${commands[2]}: $(cat "$summary")"
echo "the page's commands ran over ssh on 127.0.0.1:$port"
