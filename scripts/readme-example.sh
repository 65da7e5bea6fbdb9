#!/usr/bin/env bash
# Prints the last sh block of the README section whose heading is $1 ("## ..." without the
# hashes), with BUILD=/path/to/vantrel/build made the build folder $2; fails when there is none.
# The scripts that run the README's examples take them from here.
set -euo pipefail
section=$1
build=$(cd "$2" && pwd)
readme="$(dirname "$0")/../README.md"
example=$(awk -v heading="## $section" '
  /^## / { in_section = ($0 == heading) }
  in_section && /^```sh$/ { block = ""; collecting = 1; next }
  collecting && /^```$/ { collecting = 0; last = block; next }
  collecting { block = block $0 "\n" }
  END { printf "%s", last }' "$readme")
[ -n "$example" ] || { echo "no example in the section '$section' of $readme" >&2; exit 1; }
printf '%s' "${example/BUILD=\/path\/to\/vantrel\/build/BUILD=$build}"
