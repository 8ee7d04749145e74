#!/bin/sh
# Prepares the synthetic Mandarin speech corpus of the acoustic model trainer.
#
#   tools/prepare_speech_corpus.sh LANGUAGE-FOLDER OUT-DIR [TRAIN-SENTENCES [HELD-OUT-SENTENCES [DEV-SENTENCES]]]
#
# LANGUAGE-FOLDER holds "Pron.txt" and "Syllable" of tools/build_language_data
# (GB2312). Sentences come from the Chinese manual pages (manpages-zh), cut
# into clauses of 4 to 12 characters, turned into toned pinyin through the
# lexicon (longest words first, each word's first pronunciation); clauses
# with a character outside the lexicon are left out. espeak-ng (voice
# cmn-latn-pinyin) reads them; sox makes 11025 Hz, mono, 16-bit PCM waves.
# Training speakers (voice variant, speed, pitch; the variants also with
# their formants scaled up and down) read the training clauses and every
# syllable of "Syllable" (three at a time), each clause and each group of
# syllables by READERS speakers (default 2); other speakers read the
# held-out clauses, and others again the clauses of a development set (for
# choosing the search's settings without touching the held-out set). The
# manual pages give 43,834 clauses; the default of 7,000 training clauses
# read twice is 8.5 hours of training speech. JOBS (default 3) renders in
# parallel. Writes OUT-DIR/train.list, heldout.list and dev.list
# (wave, speaker, gender, toned pinyin), transcripts as toned pinyin
# (*.pinyin) and as GB2312 text (*.gb2312), and the waves under OUT-DIR/wav.
# The same inputs give the same corpus.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 LANGUAGE-FOLDER OUT-DIR [TRAIN-SENTENCES [HELD-OUT-SENTENCES [DEV-SENTENCES]]]" >&2
  exit 2
fi
language=$1
out=$2
train_count=${3:-7000}
held_count=${4:-60}
dev_count=${5:-60}
readers=${READERS:-2}
jobs=${JOBS:-3}
case $readers in
  '' | *[!0-9]* | 0) echo "$0: READERS must be a count of speakers, at least 1" >&2; exit 2 ;;
esac
for tool in espeak-ng sox iconv zcat; do
  command -v $tool > /dev/null || { echo "$0: $tool is missing (tools/setup-debian.sh installs it)" >&2; exit 1; }
done
for file in "$language/Pron.txt" "$language/Syllable"; do
  [ -f "$file" ] || { echo "$0: $file is missing (build the language data first)" >&2; exit 1; }
done
pages=/usr/share/man/zh_CN
[ -d "$pages" ] || { echo "$0: $pages is missing (install manpages-zh)" >&2; exit 1; }

export LC_ALL=C
mkdir -p "$out/wav"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Clauses: runs of 4 to 12 GB2312 Han characters (lead bytes 0xB0-0xF7) of
# the manual pages' text lines; everything else separates them.
find "$pages" -name '*.gz' | sort | while read -r page; do zcat "$page"; done |
  grep -v '^\.\\"' | iconv -c -f UTF-8 -t GB2312 |
  awk 'BEGIN { for (i = 128; i < 256; i++) code[sprintf("%c", i)] = i }
       function flush() { if (n >= 4 && n <= 12) print run; run = ""; n = 0 }
       { for (i = 1; i <= length($0); i++) {
           c = substr($0, i, 1)
           if (code[c] >= 176 && code[c] <= 247 && i < length($0)) { run = run substr($0, i, 2); n++; i++ }
           else { if (code[c] >= 161) i++; flush() } }
         flush() }' | sort -u > "$work/clauses"

# Toned pinyin through the lexicon. The held-out and development clauses
# are every tenth and every tenth but five of an even spread of 3,120
# clauses over the pages, whatever the size of the training set, so that
# their figures compare across corpora; the training clauses are an even
# spread of all the other clauses.
awk -v train="$train_count" -v held="$held_count" -v dev="$dev_count" '
  function spell(text,    pinyin, i, len, found) {
    pinyin = ""
    for (i = 1; i <= length(text); ) {
      found = 0
      for (len = 16; len >= 2 && !found; len -= 2)
        if (i + len - 1 <= length(text) && (substr(text, i, len) in pron)) {
          pinyin = pinyin (pinyin == "" ? "" : " ") pron[substr(text, i, len)]; i += len; found = 1 }
      if (!found) return "" }
    return pinyin }
  FNR == NR { if (FNR > 2 && NF == 2 && !($2 in pron)) { split($1, alt, "/"); gsub("-", " ", alt[1]); pron[$2] = alt[1] }; next }
  { clause[++total] = $0 }
  END {
    spread = 3120; if (spread < 10 * held) spread = 10 * held; if (spread < 10 * dev) spread = 10 * dev
    step = total / spread; if (step < 1) step = 1
    for (k = 1; k <= total && (h < held || d < dev); k += step) {
      c = int(k); pinyin = spell(clause[c])
      if (pinyin == "") continue
      ++seen
      if (seen % 10 == 0 && h < held) { print "held\t" ++h "\t" pinyin "\t" clause[c]; taken[c] = 1 }
      else if (seen % 10 == 5 && d < dev) { print "dev\t" ++d "\t" pinyin "\t" clause[c]; taken[c] = 1 } }
    for (c = 1; c <= total; c++) if (!(c in taken)) rest[++others] = c
    step = others / train; if (step < 1) step = 1
    for (k = 1; k <= others && t < train; k += step) {
      c = rest[int(k)]; pinyin = spell(clause[c])
      if (pinyin != "") print "train\t" ++t "\t" pinyin "\t" clause[c] } }' "$language/Pron.txt" "$work/clauses" > "$work/sentences"

# Speakers: name, espeak voice variant, gender, speed, pitch. A variant
# named VARIANTwPERCENT is VARIANT with every formant frequency scaled to
# PERCENT (a shorter or longer vocal tract), so that the training voices
# spread around each other more than the system's variants alone do.
cat > "$work/train_speakers" <<'SPEAKERS'
m1	m1	M	150	35
m2	m2	M	190	50
m3	m3	M	230	28
m5	m5	M	165	45
m6	m6	M	210	38
klatt	klatt	M	180	40
f1	f1	F	160	65
f2	f2	F	205	78
f3	f3	F	135	55
f5	f5	F	220	62
m1w92	m1w92	M	172	41
m2w92	m2w92	M	209	29
m3w92	m3w92	M	150	42
m5w92	m5w92	M	187	30
m6w92	m6w92	M	224	43
klattw92	klattw92	M	165	31
f1w92	f1w92	F	202	57
f2w92	f2w92	F	143	68
f3w92	f3w92	F	180	79
f5w92	f5w92	F	217	65
m1w108	m1w108	M	158	46
m2w108	m2w108	M	195	34
m3w108	m3w108	M	136	47
m5w108	m5w108	M	173	35
m6w108	m6w108	M	210	48
klattw108	klattw108	M	151	36
f1w108	f1w108	F	188	67
f2w108	f2w108	F	225	78
f3w108	f3w108	F	166	64
f5w108	f5w108	F	203	75
SPEAKERS
speakers=$(wc -l < "$work/train_speakers")
[ "$readers" -le "$speakers" ] ||
  { echo "$0: READERS is $readers, but there are only $speakers training speakers" >&2; exit 2; }
cat > "$work/held_speakers" <<'SPEAKERS'
m4	m4	M	175	42
f4	f4	F	185	70
SPEAKERS
cat > "$work/dev_speakers" <<'SPEAKERS'
m7	m7	M	200	33
k2	klatt2	F	170	72
SPEAKERS

# Jobs: set, utterance id, voice, gender, speed, pitch, pinyin, what
# espeak-ng reads, GB2312 text. The syllables alone go in threes, read
# without pauses (the transcripts have no silence between syllables).
awk -F '\t' -v readers="$readers" '
  FILENAME ~ /train_speakers/ { tn++; tname[tn] = $1; tline[tn] = $2 "\t" $3 "\t" $4 "\t" $5; next }
  FILENAME ~ /held_speakers/ { hn++; hname[hn] = $1; hline[hn] = $2 "\t" $3 "\t" $4 "\t" $5; next }
  FILENAME ~ /dev_speakers/ { dn++; dname[dn] = $1; dline[dn] = $2 "\t" $3 "\t" $4 "\t" $5; next }
  FILENAME ~ /sentences/ {
    if ($1 == "train") for (k = 0; k < readers; k++) { s = ($2 - 1 + k * int(tn / readers)) % tn + 1
      printf "train\ts%05d-%s\t%s\t%s\t%s\t%s\n", $2, tname[s], tline[s], $3, $3, $4 }
    else if ($1 == "held") for (s = 1; s <= hn; s++) printf "held\th%04d-%s\t%s\t%s\t%s\t%s\n", $2, hname[s], hline[s], $3, $3, $4
    else for (s = 1; s <= dn; s++) printf "dev\td%04d-%s\t%s\t%s\t%s\t%s\n", $2, dname[s], dline[s], $3, $3, $4
    next }
  function group() { if (n == 0) return; g++
    for (k = 0; k < readers; k++) { s = (g - 1 + k * int(tn / readers)) % tn + 1
      printf "train\ty%04d-%s\t%s\t%s\t%s\t\n", g, tname[s], tline[s], said, said }
    n = 0; said = "" }
  /^%BEGIN/ { inside = 1; next }
  /^%END/ { inside = 0; group(); next }
  inside && NF > 0 && $0 !~ /^#/ { split($0, f, " ")
    said = said (n ? " " : "") f[1]; if (++n == 3) group() }
' "$work/train_speakers" "$work/held_speakers" "$work/dev_speakers" "$work/sentences" "$language/Syllable" > "$work/jobs"

# espeak-ng reads a copy of its data folder whose voice folder holds the
# system's variants and the scaled ones, and not its other voices: espeak-ng
# lists at most 349 voices and silently drops the rest, and a variant it does
# not find reads with the plain voice.
data=$(espeak-ng --version | sed -n 's/.*Data at: *//p')
[ -d "$data/voices/!v" ] || { echo "$0: espeak-ng's voice variants are missing" >&2; exit 1; }
mkdir -p "$work/espeak-ng-data/voices"
for entry in "$data"/*; do
  [ "${entry##*/}" = voices ] || ln -s "$entry" "$work/espeak-ng-data/"
done
cp -R "$data/voices/!v" "$work/espeak-ng-data/voices/"
cut -f 2 "$work/train_speakers" "$work/held_speakers" "$work/dev_speakers" | grep 'w[0-9][0-9]*$' | sort -u |
  while read -r variant; do
    base=${variant%w*}
    [ -f "$data/voices/!v/$base" ] || { echo "$0: no voice variant $base to scale" >&2; exit 1; }
    # A variant without formant lines has every formant at 100 %.
    awk -v name="$variant" -v percent="${variant##*w}" '
      $1 == "name" { print "name " name; next }
      $1 == "formant" { $3 = int($3 * percent / 100 + 0.5); scaled = 1 }
      { print }
      END { if (!scaled) for (f = 0; f <= 8; f++) print "formant " f " " percent " 100 100" }' \
      "$data/voices/!v/$base" > "$work/espeak-ng-data/voices/!v/$variant"
  done
export ESPEAK_DATA_PATH="$work"
listed=$(espeak-ng --voices=variant)
cut -f 2 "$work/train_speakers" "$work/held_speakers" "$work/dev_speakers" | sort -u | while read -r variant; do
  printf '%s\n' "$listed" | grep -q " !v/$variant\( \|\$\)" ||
    { echo "$0: espeak-ng does not list the voice variant $variant" >&2; exit 1; }
done

render() {
  while IFS="$(printf '\t')" read -r set id voice gender speed pitch pinyin spoken text; do
    lower=$(printf '%s' "$spoken" | tr 'A-Z' 'a-z')
    espeak-ng -v "cmn-latn-pinyin+$voice" -s "$speed" -p "$pitch" -w "$work/$id.wav" "$lower"
    sox -R -V1 -G "$work/$id.wav" -r 11025 -c 1 -b 16 -e signed-integer "$out/wav/$id.wav"
    rm -f "$work/$id.wav"
  done
}
awk -v jobs="$jobs" -v dir="$work" '{ print > (dir "/part" (NR % jobs)) }' "$work/jobs"
for part in "$work"/part*; do render < "$part" & done
wait

for list in train heldout dev; do
  : > "$out/$list.list"
  : > "$out/$list.pinyin"
  : > "$out/$list.gb2312"
done
while IFS="$(printf '\t')" read -r set id voice gender speed pitch pinyin spoken text; do
  [ -f "$out/wav/$id.wav" ] || { echo "$0: $id was not rendered" >&2; exit 1; }
  list=$set
  [ "$set" = held ] && list=heldout
  speaker=${id#*-}
  printf 'wav/%s.wav\t%s\t%s\t%s\n' "$id" "$speaker" "$gender" "$pinyin" >> "$out/$list.list"
  printf '%s\t%s\n' "$id" "$pinyin" >> "$out/$list.pinyin"
  [ -z "$text" ] || printf '%s\t%s\n' "$id" "$text" >> "$out/$list.gb2312"
done < "$work/jobs"
echo "$out: $(wc -l < "$out/train.list") training, $(wc -l < "$out/heldout.list") held-out and $(wc -l < "$out/dev.list") development utterances"
