#!/bin/sh
# Adds the runs of a host's results log, just fetched, to the copy kept on the
# controller, so that the copy never loses a run:
#   keep_runs.sh DIR
# DIR holds fetched.new (the host's log as just fetched), fetched.txt (as
# fetched the time before) and Result3.txt (the kept copy). Where the host's
# log goes on from the last fetch, only what follows is appended. Where it
# does not (the log was deleted, emptied or replaced on the host), the whole
# of it is appended after what was kept, and a line on standard output says
# so. A missing fetched.new (the host had no log) changes nothing.
set -eu
[ -e "$1/fetched.new" ] || exit 0
cd "$1"
before=fetched.txt
[ -e "$before" ] || before=Result3.txt
if [ ! -e Result3.txt ]; then
    cp fetched.new Result3.txt
elif size=$(wc -c <"$before") && cmp -s -n "$size" "$before" fetched.new; then
    tail -c +"$((size + 1))" fetched.new >>Result3.txt
else
    # End a last line cut short before the host's lines follow it.
    if [ -s Result3.txt ] && [ -n "$(tail -c 1 Result3.txt)" ]; then printf '\r\n' >>Result3.txt; fi
    cat fetched.new >>Result3.txt
    echo "$1: the host's log does not go on from the one fetched before;" \
        "all of it was added after the runs kept here."
fi
mv fetched.new fetched.txt
