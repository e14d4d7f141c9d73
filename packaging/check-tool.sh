#!/usr/bin/env bash
# Runs one validator of the packaging checks and fails on what it finds.
#   check-tool.sh [--quiet] TOOL ARGUMENT...
# The check fails when TOOL fails; with --quiet also when it prints anything, for the tools
# that report warnings and still answer 0 (desktop-file-validate, groff -ww). A TOOL that is
# not installed skips the check (status 77) on a developer's machine and fails it in CI.
set -uo pipefail

quiet=0
if [ "${1:-}" = "--quiet" ]; then
  quiet=1
  shift
fi
[ $# -ge 1 ] || { echo "usage: check-tool.sh [--quiet] TOOL ARGUMENT..." >&2; exit 2; }

if ! command -v "$1" > /dev/null 2>&1; then
  echo "check-tool.sh: $1 is not installed (bash tools/install-deps.sh installs it)" >&2
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi

output=$("$@" 2>&1)
status=$?
[ -n "$output" ] && printf '%s\n' "$output"
if [ $status -ne 0 ]; then
  echo "check-tool.sh: $1 failed with status $status" >&2
  exit 1
fi
if [ $quiet -eq 1 ] && [ -n "$output" ]; then
  echo "check-tool.sh: $1 reported the lines above" >&2
  exit 1
fi
exit 0
