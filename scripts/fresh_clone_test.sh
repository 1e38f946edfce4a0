#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Clones the committed state of the project into an empty temporary folder,
# where nothing lies beside it, then configures it, builds the core tests and
# runs them. A clone on its own must configure and pass, and report the tests
# on the real SAC files kept outside the project as one skipped test.
#
# Only the core is built (no window, no Qt), so the check stays cheap; with
# ccache the compiler's results are shared between runs.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if ! git -C "$root" rev-parse --verify -q HEAD >/dev/null; then
    echo "fresh clone: SKIP, $root is not a git checkout"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tremorline-clone-XXXXXX")
trap 'rm -rf "$work"' EXIT
clone=$work/clone

commit=$(git -C "$root" rev-parse HEAD)
git clone -q --no-checkout "$root" "$clone"
git -C "$clone" -c advice.detachedHead=false checkout -q "$commit"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths below the temporary folder count as relative, so the next run's
    # clone, in another folder, finds the same cache entries.
    export CCACHE_BASEDIR=$work
fi

fail() {
    echo "fresh clone: FAIL, $*" >&2
    exit 1
}

cd "$clone"
configure_log=$work/configure.log
cmake --preset dev -DTREMORLINE_BUILD_APP=OFF "${launcher[@]}" >"$configure_log" 2>&1 ||
    { cat "$configure_log" >&2; fail "configure failed"; }
grep -q "Real SAC test files not found" "$configure_log" ||
    fail "configure did not say that the real SAC files are missing"

cmake --build --preset dev --target core_tests >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; fail "the core tests do not build"; }

test_log=$work/test.log
ctest --preset dev -L core >"$test_log" 2>&1 || { cat "$test_log" >&2; fail "core tests failed"; }
grep -Eq "real_sac_files .*Skipped" "$test_log" ||
    { cat "$test_log" >&2; fail "the missing real SAC files were not reported as a skip"; }
skipped=$(grep -c '\*\*\*Skipped' "$test_log" || true)
[ "$skipped" -eq 1 ] || { cat "$test_log" >&2; fail "$skipped skips instead of the one"; }
passed=$(grep -Ec "Test +#[0-9]+: .* Passed" "$test_log" || true)
[ "$passed" -gt 0 ] || fail "no core test ran"
! grep -q "RealFiles" "$test_log" || fail "tests on the real SAC files were run without them"
echo "fresh clone: configured and passed without the real SAC files:" \
    "$passed core tests passed, real_sac_files reported as the one skip"
