#!/usr/bin/env bash
# Looks at the machine code of the empty loop in a built binary and checks
# that the loop is exactly two instructions: a decrement of a register and a
# conditional branch on its result back to that decrement, with no other
# loop in the function.
#   check_empty_loop.sh OBJDUMP BINARY
set -euo pipefail
objdump=$1
binary=$2

listing=$("$objdump" -d --no-show-raw-insn -C "$binary" |
    awk '/^[0-9a-f]+ <vt::EmptyLoop\(int\)>:$/ { found = 1; next }
         found && /^$/ { found = 0; done = 1 }
         found && !done { print }')
if [ -z "$listing" ]; then
    echo "FAIL: vt::EmptyLoop(int) not found in $binary" >&2
    exit 1
fi
echo "$listing"

echo "$listing" | awk '
    function hex(s,    v, i) {
        v = 0
        for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
        return v
    }
    {
        addr = $1; sub(":", "", addr)
        n++; a[n] = hex(addr); m[n] = $2; op[n] = $3
    }
    END {
        loops = 0
        for (i = 1; i <= n; i++) {
            if (m[i] !~ /^j/ || op[i] !~ /^[0-9a-f]+$/) continue
            target = hex(op[i])
            if (target > a[i]) continue  # a forward branch: no loop
            loops++
            if (m[i] != "jne" && m[i] != "jnz") { print "FAIL: loop branch is " m[i]; bad = 1 }
            if (i < 2 || target != a[i - 1]) { print "FAIL: loop body is not two instructions"; bad = 1 }
            else if (m[i - 1] != "dec" || op[i - 1] !~ /^%[er]/) {
                print "FAIL: loop body starts with " m[i - 1] " " op[i - 1]; bad = 1
            }
        }
        if (loops != 1) { print "FAIL: " loops " loops in the function"; bad = 1 }
        if (bad) exit 1
        print "OK: two-instruction loop"
    }'
