#!/usr/bin/env bash
# Recovery figures: runs the recovery end-to-end cases for N rounds each (default 10) and prints each round's
# times, then the median of each figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine-session.sh"
out=$(mktemp)
trap 'rm -f "$out"; session_cleanup' EXIT
CORVEX_RECOVERY_ROUNDS=${1:-10} CORVEX_BUILD_DIR="$build" wine "$build/tests/e2e/e2e_recovery_tests.exe" \
  2>/dev/null | tee "$out" | grep -E '^recovery |FAILED' || true
# "recovery CASE round N: service A ms, panel B ms, first panel request done C ms"
awk '/^recovery /{ c=$2; s[c]=s[c] " " $6; p[c]=p[c] " " $9; r[c]=r[c] " " $15 }
  function median(list,   n, a, i, j, t) { n=split(list, a, " "); for(i=1;i<=n;i++) for(j=i+1;j<=n;j++)
    if (a[j]+0 < a[i]+0) { t=a[i]; a[i]=a[j]; a[j]=t }; return a[int((n+1)/2)] }
  END { for (c in s) printf "median %s: service %s ms, panel %s ms, first panel request %s ms\n", c,
    median(s[c]), median(p[c]), median(r[c]) }' "$out"
grep -q '^\[  PASSED  \]' "$out"
