#!/bin/sh
# Held-out Chinese text for the keyboard and script conversion benchmarks,
# from Debian's Chinese documentation, which no generator reads:
#
#   tools/prepare_heldout_text.sh OUT-DIR [TRADITIONAL-HELP-DIR]
#
# OUT-DIR/simplified.txt: clauses of 4 to 24 Han characters (UTF-8, one a
# line, each once) of the Debian Reference in Simplified Chinese
# (debian-reference-zh-cn) and the Simplified manual pages (manpages-zh);
# lines that the text wraps inside a clause are joined first.
# OUT-DIR/traditional.txt: the text lines of the LibreOffice help in
# Traditional Chinese (libreoffice-help-zh-tw, unpacked by
# tools/setup-debian.sh into data/generated/) that hold at least four Han
# characters, each once, markup removed.
# OUT-DIR/traditional-reference.txt: the same from the Traditional Debian
# Reference (debian-reference-zh-tw), which is converted from the Simplified
# one rather than translated on its own.
# The same inputs give the same files.
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 OUT-DIR [TRADITIONAL-HELP-DIR]" >&2
  exit 2
fi
out=$1
help=${2:-data/generated/libreoffice-help/usr/share/libreoffice/help/zh-TW}
reference=/usr/share/debian-reference
pages=/usr/share/man/zh_CN
for file in "$reference/debian-reference.zh-cn.txt.gz" "$reference/debian-reference.zh-tw.txt.gz"; do
  [ -f "$file" ] || { echo "$0: $file is missing (install debian-reference-zh-cn and -zh-tw)" >&2; exit 1; }
done
[ -d "$pages" ] || { echo "$0: $pages is missing (install manpages-zh)" >&2; exit 1; }
mkdir -p "$out"
export LC_ALL=C.UTF-8

# Whole runs of 4 to 24 Han characters (all of U+4E00 to U+9FFF) after
# joining the lines a clause was wrapped over.
clauses() {
  perl -CSD -ne '
    chomp; s/^\s+//; s/\s+$//;
    if ($held ne "" && $held =~ /\p{Han}$/ && /^\p{Han}/) { $held .= $_ } else { print "$held\n" if $held ne ""; $held = $_ }
    END { print "$held\n" if $held ne "" }' |
  perl -CSD -ne 'while (/(\p{Han}+)/g) { my $c = $1; print "$c\n" if length($c) >= 4 && length($c) <= 24 && $c =~ /^[\x{4E00}-\x{9FFF}]+$/ }'
}

{
  zcat "$reference/debian-reference.zh-cn.txt.gz"
  find "$pages" -name '*.gz' | sort | xargs zcat | grep -v '^\.\\"'
} | clauses | awk '!seen[$0]++' > "$out/simplified.txt"

# Text lines of HTML files, markup and entities removed.
html_lines='
  s/<script.*?<\/script>//gs; s/<style.*?<\/style>//gs; s/<[^>]*>/\n/g;
  s/&nbsp;/ /g; s/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/&/g;
  for my $line (split /\n/) { $line =~ s/^\s+//; $line =~ s/\s+$//; my $n = () = $line =~ /\p{Han}/g; print "$line\n" if $n >= 4 }'

if [ -d "$help" ]; then
  find "$help" -name '*.html' | sort | xargs perl -CSD -0777 -ne "$html_lines" |
    awk '!seen[$0]++' > "$out/traditional.txt"
else
  echo "$0: $help is missing (tools/setup-debian.sh unpacks it): no traditional.txt text" >&2
  : > "$out/traditional.txt"
fi
zcat "$reference/debian-reference.zh-tw.txt.gz" |
  perl -CSD -ne 'chomp; s/^\s+//; s/\s+$//; my $n = () = /\p{Han}/g; print "$_\n" if $n >= 4' |
  awk '!seen[$0]++' > "$out/traditional-reference.txt"
wc -l "$out/simplified.txt" "$out/traditional.txt" "$out/traditional-reference.txt" >&2
