#!/bin/sh
# check-imports.sh OBJDUMP EXECUTABLE LIST
# LIST: "LIBRARY <dll>" and the exported names, as for check-exports.sh.
# Fails unless the executable imports exactly those names from that DLL.
set -eu
objdump=$1 executable=$2 list=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

dll=$(sed -n '1s/^LIBRARY[[:space:]]*//p' "$list" | tr -d '\r')
tail -n +2 "$list" | grep -v '^[[:space:]]*$' | LC_ALL=C sort > "$dir/expected"
"$objdump" -p "$executable" | awk -v dll="$dll" '
  /^\tDLL Name: / { inside = (tolower($3) == tolower(dll)); next }
  inside && /^\t[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+[^ \t]/ { print $3; next }
  inside && /^[ \t]*$/ { inside = 0 }' | LC_ALL=C sort > "$dir/actual"
if ! diff -u "$dir/expected" "$dir/actual"; then
  echo "imports of $(basename "$executable") from $dll differ from $list" >&2
  exit 1
fi
echo "$(basename "$executable") imports every name of $(basename "$list") from $dll"
