#!/usr/bin/env bash
# Runs the main job (tools/main-job.sh) against this build as a new user
# would, and checks that it succeeds and prints the rows its queries read.
# The sqlite3 tool that the job finds first reads an init file that loads
# nothing and prints rows in another form, as a ~/.sqliterc may: the job
# must neither need one nor have its rows changed by one. The installation
# the job makes under out/ is removed, whatever the outcome, and so is out/
# itself when the job made it.
# Usage: main_job_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
build_dir=$2

work="$(mktemp -d)"
output="$work/output"
: >"$output"

# The installation folders that the job made: those under out/ that were
# not there before it ran (the job makes its folder before it prints
# anything, so a job that fails early leaves no name to read).
list_installations() {
  find "$source_dir/out" -mindepth 1 -maxdepth 1 -name 'main-job.*' 2>/dev/null | sort
}
list_installations >"$work/before"
out_existed=false
[ -d "$source_dir/out" ] && out_existed=true
cleanup() {
  list_installations | comm -13 "$work/before" - |
    while IFS= read -r dir; do
      rm -rf -- "$dir"
    done
  # Only an empty out/ goes: anything else in it is somebody else's.
  "$out_existed" || rmdir -- "$source_dir/out" 2>/dev/null
  rm -rf -- "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

real_sqlite3="$(command -v sqlite3)" || {
  echo "FAILED: there is no sqlite3 tool on the PATH"
  exit 1
}
mkdir "$work/bin"
printf '.headers on\n.mode line\n' >"$work/init"
cat >"$work/bin/sqlite3" <<EOF
#!/bin/sh
exec "$real_sqlite3" -init "$work/init" "\$@"
EOF
chmod +x "$work/bin/sqlite3"

# The job takes its build folder relative to the repository's root.
build="$(realpath --relative-to="$source_dir" "$build_dir")"
PATH="$work/bin:$PATH" bash "$source_dir/tools/main-job.sh" "$build" >"$output" 2>&1
status=$?

[ "$status" -eq 0 ] || fail "the job exited with $status"
while IFS= read -r line; do
  fail "the job printed: $line"
done < <(grep '^Error:' "$output")

# Rows the job's queries print, each named by what it shows.
rows=(
  "imported product OS-TR500|OS-TR500|Work trousers, grey|PCE|buyer1|1"
  "updated product OS-SH100|OS-SH100|Work shirt, blue|PCE|buyer1|0"
  "product OS-GL200 written without its dropped value|OS-GL200|Safety gloves, size 9|PR|buyer1|0"
  "buyer buyer1 of OS-TR500|OS-TR500|buyer1"
  "buyer approver1 of OS-TR500|OS-TR500|approver1"
  "property value Colour of OS-TR500|OS-TR500|Colour|Grey"
  "new property value Warranty of OS-TR500|OS-TR500|WARRANTY|2 years"
  "updated property value Colour of OS-SH100|OS-SH100|Colour|Navy"
)
for entry in "${rows[@]}"; do
  name="${entry%%|*}"
  row="${entry#*|}"
  grep -qxF -- "$row" "$output" || fail "$name: the row '$row' is missing"
done

if [ "$failures" -gt 0 ]; then
  echo "--- what the job printed:"
  cat "$output"
  exit 1
fi
echo "The main job succeeded and printed the ${#rows[@]} rows checked."
