#!/usr/bin/env bash
# fleet/keep_runs.sh: the copy of a host's log kept on the controller gains
# what the host's log added since the last fetch, and never loses a run when
# the host's log was deleted, emptied or replaced; for the results log and the
# records log alike, each with its own files.
#   keep_runs_test.sh
set -uo pipefail
keep=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/keep_runs.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# put FILE TEXT: TEXT with printf's escapes; "-" for no file.
put() { if [ "$2" = - ]; then rm -f "$1"; else printf '%b' "$2" >"$1"; fi; }

# Row: name | log (txt: results, jsonl: records) | kept copy | last fetch |
# just fetched | kept copy afterwards | notice (yes/no).
# H is a header line, a, b, c result lines, {a}, {b}, {c} records.
rows=$(
    cat <<'EOF'
first fetch|txt|-|-|H\r\na\r\n|H\r\na\r\n|no
host went on|txt|H\r\na\r\n|H\r\na\r\n|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
nothing new|txt|H\r\na\r\nb\r\n|H\r\nb\r\n|H\r\nb\r\n|H\r\na\r\nb\r\n|no
only the copy kept before|txt|H\r\na\r\n|-|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
host ended a cut line|txt|H\r\na|H\r\na|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|no
host log replaced|txt|H\r\na\r\n|H\r\na\r\n|H\r\nc\r\n|H\r\na\r\nH\r\nc\r\n|yes
host log shorter|txt|H\r\na\r\nb\r\n|H\r\na\r\nb\r\n|H\r\na\r\n|H\r\na\r\nb\r\nH\r\na\r\n|yes
host log emptied|txt|H\r\na\r\n|H\r\na\r\n||H\r\na\r\n|yes
copy ends in a cut line|txt|H\r\na|-|H\r\nc\r\n|H\r\na\r\nH\r\nc\r\n|yes
records first fetch|jsonl|-|-|{a}\n|{a}\n|no
records went on|jsonl|{a}\n|{a}\n|{a}\n{b}\n|{a}\n{b}\n|no
records replaced|jsonl|{a}\n{b}\n|{a}\n{b}\n|{c}\n|{a}\n{b}\n{c}\n|yes
records end in a cut line|jsonl|{a}\n{b|{a}\n{b|{c}\n|{a}\n{b\n{c}\n|yes
EOF
)
while IFS='|' read -r name log kept last new after notice; do
    dir=$tmp/$name
    mkdir -p "$dir"
    case $log in
        txt) files=(Result3.txt fetched.txt fetched.new) ;;
        jsonl) files=(Result3.jsonl fetched.jsonl fetched.jsonl.new) ;;
    esac
    put "$dir/${files[0]}" "$kept"
    put "$dir/${files[1]}" "$last"
    put "$dir/${files[2]}" "$new"
    said=$("$keep" "$dir" "${files[0]}") || fail "$name: status $?"
    [ "$(cat -v "$dir/${files[0]}")" = "$(printf '%b' "$after" | cat -v)" ] ||
        fail "$name: kept $(cat -v "$dir/${files[0]}")"
    [ ! -e "$dir/${files[2]}" ] && cmp -s "$dir/${files[1]}" <(printf '%b' "$new") ||
        fail "$name: the fetch is not the next one's start"
    # The other log's files are not touched.
    [ "$(ls "$dir" | wc -l)" -eq 2 ] || fail "$name: other files: $(ls "$dir")"
    case $notice in
        yes) [[ $said == *"does not go on"* ]] || fail "$name: no notice" ;;
        no) [ -z "$said" ] || fail "$name: notice $said" ;;
    esac
done <<<"$rows"

# A host with no log: nothing is made, not even its folder.
"$keep" "$tmp/none" || fail "no log: status $?"
[ ! -e "$tmp/none" ] || fail "no log: folder made"
echo ok
