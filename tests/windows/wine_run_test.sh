#!/usr/bin/env bash
# The Windows build's test emulator (cmake/wine-run) with a stand-in for Wine:
# what each kind of ending gives ctest (status, both outputs, how many
# starts), and that a helper left running with the program's outputs does
# not keep it waiting.
set -u
here=$(cd "$(dirname "$0")" && pwd)
run=$here/../../cmake/wine-run
tmp=$(mktemp -d)
trap '[ -f "$tmp/helper" ] && kill "$(cat "$tmp/helper")" 2>/dev/null; rm -rf "$tmp"' EXIT
cat >"$tmp/wine" <<'STANDIN'
#!/usr/bin/env bash
# Counts its starts; $1 says how this start ends.
count=$STANDIN_DIR/starts; n=$(cat "$count" 2>/dev/null || echo 0); echo $((n + 1)) >"$count"
case $1 in
    ok)            echo out; echo err >&2; exit 0 ;;
    silent-once)   [ "$n" -eq 0 ] && exit 53; echo out; exit 0 ;;
    silent-always) exit 5 ;;
    fails-loud)    echo "[  FAILED  ] x"; exit 1 ;;
    fails-on-err)  echo err >&2; exit 1 ;;
    fails-late)    [ "$n" -eq 0 ] && { echo "[ RUN ]"; exit 3; }; echo out; exit 0 ;;
    helper)        sleep 30 & echo $! >"$STANDIN_DIR/helper"; echo out; exit 0 ;;
esac
STANDIN
chmod +x "$tmp/wine"
export VESKTEST_WINE=$tmp/wine STANDIN_DIR=$tmp
failures=0
# case | status | starts | standard output | error output (a pattern)
while IFS='|' read -r name status starts out err; do
    rm -f "$tmp/starts"
    begin=$SECONDS
    # Through a pipe, as under ctest: a helper holding it would hold this.
    { "$run" "$name" 2>"$tmp/err"; echo $? >"$tmp/status"; } | cat >"$tmp/out"
    got=$(cat "$tmp/status")
    problems=()
    [ "$got" = "$status" ] || problems+=("status $got, wanted $status")
    [ "$(cat "$tmp/starts")" = "$starts" ] || problems+=("$(cat "$tmp/starts") starts, wanted $starts")
    [ "$(cat "$tmp/out")" = "$out" ] || problems+=("output [$(cat "$tmp/out")], wanted [$out]")
    grep -Eq "^($err)\$" <(cat "$tmp/err"; [ -s "$tmp/err" ] || echo) \
        || problems+=("error output [$(cat "$tmp/err")], wanted /$err/")
    ((SECONDS - begin < 10)) || problems+=("took $((SECONDS - begin)) s")
    if ((${#problems[@]})); then
        echo "FAIL $name: ${problems[*]}"; failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
done <<'TABLE'
ok|0|1|out|err
silent-once|0|2|out|wine-run: Wine ended with status 53 before the program wrote anything; starting it again
silent-always|5|2||wine-run: Wine ended with status 5 before the program wrote anything; starting it again
fails-loud|1|1|[  FAILED  ] x|
fails-on-err|1|1||err
fails-late|3|1|[ RUN ]|
helper|0|1|out|
TABLE
exit $((failures > 0))
