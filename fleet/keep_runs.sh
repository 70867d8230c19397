#!/bin/sh
# Adds the runs of a host's log, just fetched, to the copy kept on the
# controller, so that the copy never loses a run:
#   keep_runs.sh DIR [NAME]
# NAME is the log: Result3.txt (the results log, the default) or
# Result3.jsonl (the records log). DIR holds the host's log as just fetched
# (fetched.new for the results log, fetched.jsonl.new for the records log),
# as fetched the time before (fetched.txt, fetched.jsonl) and the kept copy
# (DIR/NAME). Where the host's log goes on from the last fetch, only what
# follows is appended. Where it does not (the log was deleted, emptied or
# replaced on the host), the whole of it is appended after what was kept,
# and a line on standard output says so. A missing fetch (the host had no
# such log) changes nothing.
set -eu
name=${2:-Result3.txt}
case $name in
    *.jsonl) new=fetched.jsonl.new last=fetched.jsonl end='\n' ;;
    *) new=fetched.new last=fetched.txt end='\r\n' ;;
esac
[ -e "$1/$new" ] || exit 0
cd "$1"
before=$last
[ -e "$before" ] || before=$name
if [ ! -e "$name" ]; then
    cp "$new" "$name"
elif size=$(wc -c <"$before") && cmp -s -n "$size" "$before" "$new"; then
    tail -c +"$((size + 1))" "$new" >>"$name"
else
    # End a last line cut short before the host's lines follow it.
    if [ -s "$name" ] && [ -n "$(tail -c 1 "$name")" ]; then printf "$end" >>"$name"; fi
    cat "$new" >>"$name"
    echo "$1: the host's $name does not go on from the one fetched before;" \
        "all of it was added after the runs kept here."
fi
mv "$new" "$last"
