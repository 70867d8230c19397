#!/usr/bin/env bash
# The link checker itself: a tree with one good and three broken links must
# give exactly those three, so that a checker that finds nothing fails here.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/docs"
printf '# Top\n[ok](docs/a.md#some-part) [gone](docs/none.md) ![pic](docs/none.png)\n' >"$tmp/README.md"
printf '# A\n## Some part\n[bad anchor](a.md#other) [web](https://example.org/x)\n' >"$tmp/docs/a.md"
out=$(python3 "$here/check_links.py" "$tmp" || true)
echo "$out"
[ "$(grep -c 'no such file' <<<"$out")" = 2 ] || { echo "FAIL: missing files not found"; exit 1; }
[ "$(grep -c 'no heading' <<<"$out")" = 1 ] || { echo "FAIL: bad anchor not found"; exit 1; }
grep -q 'some-part' <<<"$out" && { echo "FAIL: a good anchor was reported"; exit 1; }
echo "checker ok"
