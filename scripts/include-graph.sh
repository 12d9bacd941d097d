#!/usr/bin/env bash
# Prints which folders of the program include which: one line per pair,
# "from -> to (number of #include lines)". Tests and benchmarks are left out.
set -uo pipefail
cd "$(dirname "$0")/.."
for dir in model field drawing settings picture export decoder ui app; do
  grep -rhoE '^#include "[a-z]+/' --include='*.h' --include='*.cpp' "$dir" |
    sed -E 's/#include "([a-z]+)\//\1/' | grep -vxE "$dir|tovik" | sort | uniq -c |
    while read -r count to; do printf '%-8s -> %-8s (%s)\n' "$dir" "$to" "$count"; done
done
