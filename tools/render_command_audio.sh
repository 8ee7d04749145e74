#!/bin/sh
# Renders the spoken commands of the command-search tests and benchmark:
# three Mandarin commands and one phrase outside their grammar, each read by
# several espeak-ng speakers (voice variant, speed, pitch); sox makes 11025 Hz,
# mono, 16-bit PCM waves with a fifth of a second of lead-in. Training and
# held-out speakers differ.
#
#   tools/render_command_audio.sh [OUT-DIR]     (default data/samples/commands)
#
# Writes OUT-DIR/train.list and OUT-DIR/heldout.list (wave, speaker, gender,
# toned pinyin) and the waves under OUT-DIR/wav. The same espeak-ng and sox
# give the same files.
set -eu
out=${1:-data/samples/commands}
for tool in espeak-ng sox; do
  command -v $tool > /dev/null || { echo "$0: $tool is missing (tools/setup-debian.sh installs it)" >&2; exit 1; }
done
export LC_ALL=C
mkdir -p "$out/wav"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Phrases: name and toned pinyin. The last one is outside the grammar.
cat > "$work/phrases" <<'PHRASES'
dakai	da3 kai1
guanbi	guan1 bi4
xiayiye	xia4 yi2 ye4
shouyinji	shou1 yin1 ji1
PHRASES
# Speakers: set, name, espeak voice variant, gender, speed, pitch.
cat > "$work/speakers" <<'SPEAKERS'
train	m1	m1	M	150	40
train	f1	f1	F	165	65
train	m3	m3	M	215	30
train	f2	f2	F	200	78
train	m2	m2	M	130	52
heldout	m4	m4	M	175	45
heldout	f4	f4	F	185	70
SPEAKERS

: > "$out/train.list"
: > "$out/heldout.list"
while IFS="$(printf '\t')" read -r set speaker voice gender speed pitch; do
  while IFS="$(printf '\t')" read -r name pinyin; do
    id=$name-$speaker
    espeak-ng -v "cmn-latn-pinyin+$voice" -s "$speed" -p "$pitch" -w "$work/$id.wav" "$pinyin"
    sox -R -V1 -G "$work/$id.wav" -r 11025 -c 1 -b 16 -e signed-integer "$out/wav/$id.wav" \
      silence 1 0.02 0.2% reverse silence 1 0.02 0.2% reverse pad 0.2 0.2
    printf 'wav/%s.wav\t%s\t%s\t%s\n' "$id" "$speaker" "$gender" "$pinyin" >> "$out/$set.list"
  done < "$work/phrases"
done < "$work/speakers"
echo "$out: $(wc -l < "$out/train.list") training and $(wc -l < "$out/heldout.list") held-out utterances"
