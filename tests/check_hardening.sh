#!/usr/bin/env bash
# Checks that a built program carries Debian's hardening, read from its ELF
# headers, dynamic section and symbols:
#   pie        a position-independent executable (type DYN, flag PIE)
#   relro      a GNU_RELRO segment
#   bindnow    every symbol bound at start (BIND_NOW or flag NOW)
#   stack      the stack protector's failure handler is called
#   fortify    the fortified variants of the C library's string and print
#              functions are called
#   check_hardening.sh READELF BINARY
set -uo pipefail
readelf=$1
binary=$2
headers=$("$readelf" -h -l -d -W "$binary") || { echo "FAIL: $binary is not an ELF file"; exit 1; }
symbols=$("$readelf" --dyn-syms -W "$binary" | awk '$7 == "UND" {sub(/@.*/, "", $8); print $8}')
bad=0
check() {
    if [ "$2" = yes ]; then echo "ok: $1"; else echo "FAIL: $1"; bad=1; fi
}
has() { grep -qE "$1" && echo yes || echo no; }
check pie "$(has '^ *Type: +DYN' <<<"$headers")"
check pie-flag "$(has '\(FLAGS_1\).*PIE' <<<"$headers")"
check relro "$(has '^ *GNU_RELRO ' <<<"$headers")"
check bindnow "$(has '\(BIND_NOW\)|\(FLAGS(_1)?\).* NOW' <<<"$headers")"
check stack "$(has '^__stack_chk_fail$' <<<"$symbols")"
check fortify "$(has '^__[a-z0-9_]+_chk$' <<<"$(grep -vx '__stack_chk_fail' <<<"$symbols")")"
exit $bad
