#!/usr/bin/env bash
# Every option and command that vrkinfo --help names is in the manual page.
#   check-manpage.sh VRKINFO MANPAGE
set -euo pipefail
program=$1 page=$2
help=$("$program" --help)
missing=0
for word in $(grep -oE '(^|[ ,])--?[a-z][a-z-]*' <<<"$help" | tr -d ' ,' | sort -u) \
            header extents find check convert contours profile volume measure; do
  escaped=${word//-/\\\\-}
  grep -q -- "$escaped" "$page" || { echo "not in $page: $word"; missing=1; }
done
exit $missing
