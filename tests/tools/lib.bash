# Shared by the eldmap tool tests (sourced, not run on its own): the programs'
# folder, a scratch folder removed at exit, and checks that count failures.
set -uo pipefail
bin="${ELD_BIN_DIR:?}"
eldmap="$bin/eldmap"
src="${ELD_SOURCE_DIR:?}"
here="$src/tests/tools"
real="$src/tools/realdata"
# Debian's interpreter: numpy and VTK come from the test group of install_deps.sh;
# mt1_grid.py (the map writers) is importable.
py=/usr/bin/python3
export PYTHONPATH="$here"
tmp="$(mktemp -d)"
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; exit 1; }
check() {  # check DESCRIPTION CONDITION...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
# Ends the test: the count of failures, and the status.
finish() { echo "$failures failure(s)"; [ "$failures" -eq 0 ]; }

# expect_exits: reads lines "STATUS|ARGUMENTS|TEXT" (the arguments evaluated by
# the shell, so "$tmp" and quotes work) and checks that eldmap ends with that
# status and says TEXT on stderr.
expect_exits() {
  local want args text rc out
  while IFS='|' read -r want args text; do
    [ -z "$want" ] && continue
    rc=0; out="$(eval "\"$eldmap\" $args" 2>&1 >/dev/null </dev/null)" || rc=$?
    if [ "$rc" = "$want" ] && [[ "$out" == *"$text"* ]]; then echo "ok: eldmap $args"
    else echo "FAILED: eldmap $args: status $rc (want $want), said: $out"; failures=$((failures + 1)); fi
  done
}

# pixel X Y FILE -> "R G B" (0..255), Y counted from the top of the picture.
pixel() {
  convert "$3" -auto-orient -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
# count_where FILE GEOMETRY AWK-CONDITION-ON-r,g,b -> number of pixels
count_where() {
  convert "$1" -auto-orient -crop "$2" +repage -depth 8 txt:- | tail -n +2 |
    sed -E 's/.*: \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/' |
    awk "{ r=\$1; g=\$2; b=\$3; if ($3) n++ } END { print n+0 }"
}
