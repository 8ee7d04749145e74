#!/bin/sh
# check-exports.sh OBJDUMP MODULE LIST
# LIST: first line "LIBRARY <export directory name>", then one exported name
# per line in any order, each optionally followed by " @<ordinal>". Fails when
# the module's export table differs; ordinals are compared when the list
# gives them.
set -eu
objdump=$1 module=$2 list=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$objdump" -p "$module" | awk '
  /^Name[ \t]+[0-9a-fA-F]+[ \t]/ { print "LIBRARY " $3 }
  /Ordinal Base/ { base = $NF }
  /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
  table && /^\t\[ *[0-9]+\]/ {
    index_text = $0; sub(/^\t\[ */, "", index_text); sub(/\].*$/, "", index_text)
    sub(/^\t\[ *[0-9]+\] /, ""); print $0 " @" (index_text + base); next }
  { table = 0 }' > "$dir/actual.raw"
grep -v '^[[:space:]]*$' "$list" > "$dir/expected.raw"
if ! tail -n +2 "$dir/expected.raw" | grep -q ' @[0-9][0-9]*$'; then
  sed 's/ @[0-9][0-9]*$//' "$dir/actual.raw" > "$dir/actual.names" && mv "$dir/actual.names" "$dir/actual.raw"
fi

for f in actual expected; do
  { head -n 1 "$dir/$f.raw"; tail -n +2 "$dir/$f.raw" | LC_ALL=C sort; } > "$dir/$f"
done
if ! diff -u "$dir/expected" "$dir/actual"; then
  echo "export table of $module differs from $list" >&2
  exit 1
fi
echo "exports of $(basename "$module") match $(basename "$list")"
