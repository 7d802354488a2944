#!/usr/bin/env bash
# scripts/test hands its arguments to ctest word for word, whether it starts
# Xvfb or not: a copy of the script runs in a scratch tree whose setup builds
# nothing, with stand-ins for ctest and xvfb-run that record what they get.
# Usage: TestArgumentsTest.sh SOURCE_DIR
set -euo pipefail
src="$1"
# The script's own default build folder: CI runs this test from a stage
# that names its build folder in the environment.
unset BUILD_DIR
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree/scripts" "$tmp/bin"
cp "$src/scripts/test" "$tmp/tree/scripts/test"
printf '#!/bin/sh\nexit 0\n' >"$tmp/tree/scripts/setup"
# ctest: its arguments one per line, then the status the case asks for.
cat >"$tmp/bin/ctest" <<'STUB'
#!/usr/bin/env bash
printf '%s\n' "$@" >"$STUB_OUT/ctest"
printf '%s\n' "${DISPLAY:-}" >"$STUB_OUT/display"
exit "${STUB_RC:-0}"
STUB
# xvfb-run: takes its own options as the real one does, then runs the rest.
cat >"$tmp/bin/xvfb-run" <<'STUB'
#!/usr/bin/env bash
while [ $# -gt 0 ]; do
  case "$1" in
    -a) shift ;;
    -s) shift 2 ;;
    *) break ;;
  esac
done
touch "$STUB_OUT/xvfb"
DISPLAY=:stub exec "$@"
STUB
chmod +x "$tmp/tree/scripts/test" "$tmp/tree/scripts/setup" "$tmp/bin/ctest" "$tmp/bin/xvfb-run"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check DISPLAY TIERS WANT_XVFB ARGS...: the script runs with DISPLAY and
# TIERS as given, and ctest must get exactly ARGS after the script's own.
check() {
  local display="$1" tiers="$2" want_xvfb="$3"
  shift 3
  local out="$tmp/out"
  rm -rf "$out"
  mkdir "$out"
  local rc=0
  (
    cd "$tmp"
    export PATH="$tmp/bin:$PATH" STUB_OUT="$out" TIERS="$tiers"
    if [ -n "$display" ]; then export DISPLAY="$display"; else unset DISPLAY; fi
    "$tmp/tree/scripts/test" "$@"
  ) >"$out/log" 2>&1 || rc=$?
  local what="DISPLAY='$display' TIERS='$tiers' args:$(printf " [%s]" "$@")"
  if [ "$rc" -ne 0 ]; then
    fail "$what: status $rc"
    sed 's/^/    /' "$out/log"
    return
  fi
  if [ ! -f "$out/ctest" ]; then
    fail "$what: ctest did not run"
    return
  fi
  mapfile -t got <"$out/ctest"
  local want=(--test-dir build --output-on-failure --no-tests=error "-j$(nproc)" -L "$tiers" "$@")
  if [ "${got[*]@Q}" != "${want[*]@Q}" ]; then
    fail "$what: ctest got ${got[*]@Q}, want ${want[*]@Q}"
  fi
  if [ "$want_xvfb" = yes ] && [ ! -f "$out/xvfb" ]; then fail "$what: no Xvfb started"; fi
  if [ "$want_xvfb" = no ] && [ -f "$out/xvfb" ]; then fail "$what: Xvfb started"; fi
  if [ "$want_xvfb" = yes ] && [ "$(cat "$out/display")" != ":stub" ]; then fail "$what: ctest did not see Xvfb's display"; fi
}

# No display with the GUI tier: through Xvfb; no GUI tier, or a display of
# its own: ctest directly.
for env in ",pure|gl|gui,yes" ",pure,no" ":7,pure|gl|gui,no"; do
  IFS=, read -r display tiers xvfb <<<"$env"
  check "$display" "$tiers" "$xvfb"
  check "$display" "$tiers" "$xvfb" -R 'VolumeCache|Histogram'
  check "$display" "$tiers" "$xvfb" -R 'A; touch pwned' -E 'two  words'
  check "$display" "$tiers" "$xvfb" -R '$(touch pwned)' -E '*' --timeout 60
  check "$display" "$tiers" "$xvfb" -R "it's" -E '"' -E ''
done
if [ -e "$tmp/pwned" ] || [ -e "$tmp/tree/pwned" ]; then fail "an argument ran as a command"; fi

# ctest's status is the script's.
mkdir -p "$tmp/out"
rc=0
(cd "$tmp" && PATH="$tmp/bin:$PATH" STUB_OUT="$tmp/out" STUB_RC=8 TIERS='pure|gl|gui' DISPLAY= \
  "$tmp/tree/scripts/test" -R 'A|B') >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 8 ] || fail "status $rc, want ctest's 8"

if [ "$failures" -ne 0 ]; then
  echo "$failures case(s) failed"
  exit 1
fi
echo "scripts/test forwards every argument unchanged"
