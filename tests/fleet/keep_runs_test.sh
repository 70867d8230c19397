#!/usr/bin/env bash
# fleet/keep_runs.sh: the copy of a host's log kept on the controller gains
# what the host's log added since the last fetch, and never loses a run when
# the host's log was deleted, emptied or replaced.
#   keep_runs_test.sh
set -uo pipefail
keep=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/keep_runs.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# put FILE TEXT: TEXT with printf's escapes; "-" for no file.
put() { if [ "$2" = - ]; then rm -f "$1"; else printf '%b' "$2" >"$1"; fi; }

# Row: name | kept copy | last fetch | just fetched | kept copy afterwards | notice (yes/no).
# H is a header line, a, b, c result lines.
rows=$(
    cat <<'EOF'
first fetch|-|-|H\r\na\r\n|H\r\na\r\n|no
host went on|H\r\na\r\n|H\r\na\r\n|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
nothing new|H\r\na\r\nb\r\n|H\r\nb\r\n|H\r\nb\r\n|H\r\na\r\nb\r\n|no
only the copy kept before|H\r\na\r\n|-|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
host ended a cut line|H\r\na|H\r\na|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
host log replaced|H\r\na\r\n|H\r\na\r\n|H\r\nc\r\n|H\r\na\r\nH\r\nc\r\n|yes
host log shorter|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|H\r\na\r\n|H\r\na\r\nb\r\nH\r\na\r\n|yes
host log emptied|H\r\na\r\n|H\r\na\r\n||H\r\na\r\n|yes
copy ends in a cut line|H\r\na|-|H\r\nc\r\n|H\r\na\r\nH\r\nc\r\n|yes
EOF
)
while IFS='|' read -r name kept last new after notice; do
    dir=$tmp/$name
    mkdir -p "$dir"
    put "$dir/Result3.txt" "$kept"
    put "$dir/fetched.txt" "$last"
    put "$dir/fetched.new" "$new"
    said=$("$keep" "$dir") || fail "$name: status $?"
    [ "$(cat -v "$dir/Result3.txt")" = "$(printf '%b' "$after" | cat -v)" ] ||
        fail "$name: kept $(cat -v "$dir/Result3.txt")"
    [ ! -e "$dir/fetched.new" ] && cmp -s "$dir/fetched.txt" <(printf '%b' "$new") ||
        fail "$name: the fetch is not the next one's start"
    case $notice in
        yes) [[ $said == *"does not go on"* ]] || fail "$name: no notice" ;;
        no) [ -z "$said" ] || fail "$name: notice $said" ;;
    esac
done <<<"$rows"

# A host with no log: nothing is made, not even its folder.
"$keep" "$tmp/none" || fail "no log: status $?"
[ ! -e "$tmp/none" ] || fail "no log: folder made"
echo ok
