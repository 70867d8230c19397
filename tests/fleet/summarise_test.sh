#!/usr/bin/env bash
# fleet/summarise.sh over small kept logs: the summary made, or refused with
# the reason where two hosts' logs hold the same runs or there is no log (and
# then no summary.csv of an earlier run is left), the reference machine, and
# the hosts left out listed either way.
#   summarise_test.sh VESKTEST
set -uo pipefail
vesktest=$(realpath "$1")
summarise=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../fleet" && pwd)/summarise.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# logs LIST: "HOST:DESC=CYCLES,DESC=CYCLES HOST:..." makes HOST/Result3.txt
# with one result line per DESC=CYCLES (whole M/s); "HOST:" an empty log;
# "-" for none.
logs() {
    local entry host runs run
    for entry in $1; do
        [ "$entry" = - ] && continue
        host=${entry%%:*}
        mkdir -p "$host"
        : >>"$host/Result3.txt"  # "HOST:" alone: an empty log
        runs=${entry#*:}
        for run in ${runs//,/ }; do
            printf '%22s/%8s|%6s|%6s|%6s|%4s/%4s|%6s|%6s|%5s\r\n' "${run%=*}" lab 0.00 0.000 0.00 0 0 \
                "${run#*=}.0" 0.00 0.0 >>"$host/Result3.txt"
        done
    done
}

# Row: name | logs | reference | hosts left out | status | a line of summary.txt | summary.csv (yes/no).
while IFS='|' read -r name hosts reference left status expected csv; do
    dir=$tmp/$name
    mkdir -p "$dir"
    (cd "$dir" && logs "$hosts")
    echo stale >"$dir/summary.csv"
    said=$(printf '%b' "$left" | "$summarise" "$dir" "$vesktest" "$reference")
    got=$?
    [ "$got" -eq "$status" ] || fail "$name: status $got: $said"
    grep -Eq -e "$expected" "$dir/summary.txt" || fail "$name: no /$expected/ in: $(cat "$dir/summary.txt")"
    [ "$said" = "$(cat "$dir/summary.txt")" ] || fail "$name: printed other than summary.txt"
    case $csv in
        yes) grep -q '^description,label,runs,' "$dir/summary.csv" || fail "$name: no summary.csv" ;;
        no) [ ! -e "$dir/summary.csv" ] || fail "$name: summary.csv left" ;;
    esac
done <<'EOF'
own logs|pc1:pc1=100,pc1=110 pc2:pc2=200,pc2=210|||0|^1  pc1 / lab +2 |yes
equal runs of one host|pc1:pc1=100,pc1=100 pc2:pc2=200|||0|^1  pc1 / lab +2 |yes
equal runs of the one host with runs|pc1:pc1=100,pc1=100 pc2: pc3:|||0|^1  pc1 / lab +2 |yes
equal runs of the only host|pc1:pc1=100,pc1=100|||0|^1  pc1 / lab +2 |yes
one log for two hosts|pc1:pc1=100 pc2:pc1=100,pc2=200|||1|^  pc1 and pc2: 1 runs$|no
one log for three hosts|pc1:pc1=1 pc2:pc1=1,pc2=2 pc3:pc1=1,pc2=2,pc3=3|||1|^  pc2 and pc3: 1 runs$|no
reference|pc1:pc1=100,pc1=110 pc2:pc2=200,pc2=210|pc2||0|^Reference: 2\. pc2 |yes
reference without runs|pc1:pc1=100 pc2:pc2=200|pc9||0|^vesktest_reference: no runs of 'pc9'|yes
no log|-|||1|^No summary was made: no host's results log|no
left out beside a summary|pc1:pc1=100|ghost|ghost\tunreachable: no route\npc2\tnot measured|0|^  pc2 +not measured$|yes
left out without a summary|-||ghost\tunreachable: no route|1|^  ghost +unreachable: no route$|no
EOF
echo ok
