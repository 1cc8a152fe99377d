#!/usr/bin/env bash
# The fault corpus (chains.tsv) read by veltrima-signal-read: each chain's
# frame must be named exactly, the right faults and no others; then the
# frame counter (a frame left out, a frame twice, two swapped), a named
# pipe, and input it must refuse in one line with exit status 2.
# Usage: chain_corpus.sh RENDER READER FFMPEG TABLE
set -uo pipefail
render=$1 reader=$2 ffmpeg=$3 table=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

declare -A rendered
frame_of() {  # signal -> a rendered 16-bit PNG of the frame
  local key=${1// /_}
  if [[ -z ${rendered[$key]:-} ]]; then
    "$render" --plugin hdr --set "Pattern=Chain Check" --set "Signal=$1" --depth 16 \
      -o "$scratch/$key.png" >/dev/null 2>&1 || { echo "render failed for $1"; exit 1; }
    rendered[$key]=$scratch/$key.png
  fi
  echo "${rendered[$key]}"
}

# FFmpeg reads no PNG's cICP chunk: a 16-bit PNG of a narrow signal (its
# codes x 64, as the chunk's range says) would reach the chains' filters as
# full scale, 0.1 % low. Their first filter takes such a frame to the full
# scale the chains are written for: each value x 65535 / 65472, which is the
# code x 65535 / 1023, rounded, in the PNG's own 16-bit RGBA (named on both
# sides, or FFmpeg would hand the table the chain's first format instead).
full_scale() {  # signal -> the filters that put its PNG at full scale, with a comma
  local e='round(val*65535/65472)'
  [[ $1 == *Narrow ]] && echo "format=rgba64le,lutrgb=r=$e:g=$e:b=$e,format=rgba64be,"
}

declare -A file_of expected_of
while IFS=$'\t' read -r name signal chain expected rule size reference; do
  [[ -z $name || $name == \#* ]] && continue
  [[ $size == - ]] && size=
  # A row named as the reference: its file is the loop-back capture, and
  # its expected faults are what the reader must say the capture path shows.
  against=()
  [[ -n ${reference:-} ]] && against=(--reference "${file_of[$reference]}")
  png=$(frame_of "$signal")
  widen=$(full_scale "$signal")
  input=("$scratch/$name.raw" --size "${size:-1920x1080}" --pix-fmt gbrp10le)
  case $chain in
    -) input=("$png") ;;
    *' | '*)  # FILTER | EXTENSION ENCODER OPTIONS: a video file, read as it is
      read -r -a encode <<<"${chain#* | }"
      input=("$scratch/$name.${encode[0]}")
      "$ffmpeg" -nostdin -v error -y -i "$png" -vf "$widen${chain%% | *}" "${encode[@]:1}" "${input[0]}" ;;
    *) "$ffmpeg" -nostdin -v error -y -i "$png" -vf "$widen$chain" -f rawvideo -pix_fmt gbrp10le "$scratch/$name.raw" ;;
  esac || { fail "$name: ffmpeg"; continue; }
  file_of[$name]=${input[0]} expected_of[$name]=$expected
  "$reader" --json "$scratch/$name.json" "${against[@]}" "${input[@]}" >"$scratch/$name.txt" 2>&1
  status=$?
  if [[ -n ${reference:-} ]]; then
    shown=$(jq -r '[.reference.faults[]] | sort | join(",")' "$scratch/$name.json" 2>/dev/null)
    [[ ${shown:--} == "${expected_of[$reference]}" ]] ||
      fail "$name: the reference $reference shows ${shown:--}, expected ${expected_of[$reference]}"
  fi
  got=$(jq -r '[.faults[].fault] | sort | join(",")' "$scratch/$name.json" 2>/dev/null)
  # What the reader could not explain counts as a name: no row expects it.
  if head -1 "$scratch/$name.txt" | grep -q unexplained; then got=${got:+$got,}unexplained; fi
  [[ -z $got ]] && got=-
  got_rule=$(jq -r '[.faults[] | select(.fault == "eight-bit") | .rule][0] // "-"' "$scratch/$name.json" 2>/dev/null)
  # tags-disagree names its tag and both values: they join the rule column.
  tags=$(jq -r '[.faults[] | select(.fault == "tags-disagree") | "\(.tag):\(.declared)/\(.measured)"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $tags ]] && got_rule=$tags
  # chroma-subsampled names its format and filter: "format/filter".
  chroma=$(jq -r '[.faults[] | select(.fault == "chroma-subsampled") | "\(.format)/\(.filter // "-")"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $chroma ]] && got_rule=$chroma
  # matrix-mismatch names the matrices: "written/read".
  matrix=$(jq -r '[.faults[] | select(.fault == "matrix-mismatch") | "\(.written)/\(.read)"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $matrix ]] && got_rule=${chroma:+$chroma,}$matrix
  # transfer-converted names its transfers "from/to", clipped its level "N nits".
  transfer=$(jq -r '[.faults[] | select(.fault == "transfer-converted") | "\(.from)/\(.to)"] + [.faults[] | select(.fault == "clipped") | "\(.above_nits) nits"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $transfer ]] && { [[ $got_rule == - ]] && got_rule=$transfer || got_rule=$got_rule,$transfer; }
  # channels-swapped names its order, scaled its factor, shifted its pixels
  # "dx:dy": after the rules above, comma-separated.
  geometry=$(jq -r '[.faults[] | select(.fault == "channels-swapped") | .order] + [.faults[] | select(.fault == "scaled") | "\(.factor)"] + [.faults[] | select(.fault == "shifted") | "\(.pixels[0]):\(.pixels[1])"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $geometry ]] && { [[ $got_rule == - ]] && got_rule=$geometry || got_rule=$got_rule,$geometry; }
  # A range change by the 8-bit ratio names it: "FAULT:8-bit" (the 10-bit
  # ratio is the rows' default and stays unsaid).
  ratio=$(jq -r '[.faults[] | select(.ratio == "8-bit") | "\(.fault):8-bit"] | join(",")' "$scratch/$name.json" 2>/dev/null)
  [[ -n $ratio ]] && { [[ $got_rule == - ]] && got_rule=$ratio || got_rule=$got_rule,$ratio; }
  want_status=1
  [[ $expected == - ]] && want_status=0
  if [[ $got != "$expected" || $got_rule != "$rule" || $status != "$want_status" ]]; then
    fail "$name ($signal): expected $expected (rule $rule, exit $want_status), got $got (rule $got_rule, exit $status)"
    sed 's/^/    /' "$scratch/$name.txt"
  else
    echo "ok: $name: $(head -1 "$scratch/$name.txt")"
  fi
done <"$table"

# The frame counter: three frames rendered, one left out, one twice.
"$render" --plugin hdr --set "Pattern=Chain Check" --frames 3 -o "$scratch/seq-%02d.png" --depth 16 >/dev/null 2>&1
for case in "dropped:00 02:frames-dropped" "repeated:00 01 01 02:frames-repeated" "in-order:00 01 02:-" \
            "swapped:00 02 01:frames-out-of-order"; do
  IFS=: read -r label frames want <<<"$case"
  files=()
  for f in $frames; do files+=("$scratch/seq-$f.png"); done
  "$reader" --json "$scratch/seq.json" "${files[@]}" >/dev/null 2>&1
  got=$(jq -r '[.faults[].fault] | sort | join(",")' "$scratch/seq.json")
  [[ -z $got ]] && got=-
  [[ $got == "$want" ]] && echo "ok: counter $label" || fail "counter $label: expected $want, got $got"
done

# The same three frames as one numbered sequence.
"$reader" --json "$scratch/seq.json" "$scratch/seq-%02d.png" >/dev/null 2>&1
got=$(jq -r '"\(.frames) \(.clean)"' "$scratch/seq.json")
[[ $got == "3 true" ]] && echo "ok: numbered sequence" || fail "numbered sequence: expected 3 frames, clean, got $got"

# A dither over frames: five frames through one chain into FFV1, named with
# whether the dither's pattern moves from frame to frame ("dither"). The
# temporal one adds noise of an 8-bit step, new every frame, before a plain
# cut to 8 bits (geq reads nearest: its default interpolation loses the last
# row and column); zscale's random dither is one pattern for every frame.
"$render" --plugin hdr --set "Pattern=Chain Check" --set "Signal=PQ Narrow" --frames 5 --depth 16 \
  -o "$scratch/dither-%02d.png" >/dev/null 2>&1
noise="clip(p(X\,Y)+257*(random(0)-0.5)\,0\,65535)"
temporal="format=gbrp16le,geq=r='$noise':g='$noise':b='$noise':i=n,zscale=d=none,format=gbrp,zscale=d=none,format=gbrp10le"
# (zscale, not swscale, takes the clipped 10 bits to 16: codes x 65535 / 1023)
footroom="format=gbrp10le,lutrgb=r='clip(val\,64\,1023)':g='clip(val\,64\,1023)':b='clip(val\,64\,1023)',zscale=d=none"
for case in "temporal|$temporal|eight-bit|temporal" \
            "spatial|format=gbrp10le,zscale=d=random,format=gbrp,zscale=d=none,format=gbrp10le|eight-bit|spatial" \
            "footroom-and-temporal|$footroom,$temporal|eight-bit,footroom-clipped|temporal"; do
  IFS='|' read -r label chain want dither <<<"$case"
  "$ffmpeg" -nostdin -v error -y -i "$scratch/dither-%02d.png" -vf "$(full_scale "PQ Narrow")$chain,setparams=range=tv" \
    -c:v ffv1 "$scratch/dither-$label.mkv" || { fail "dither $label: ffmpeg"; continue; }
  "$reader" --json "$scratch/dither.json" "$scratch/dither-$label.mkv" >"$scratch/dither.txt" 2>&1
  got=$(jq -r '([.faults[].fault] | sort | join(",")) + " " + ([.faults[] | .dither // empty][0] // "-")' "$scratch/dither.json")
  if [[ $got == "$want $dither" ]]; then
    echo "ok: dither $label: $got"
  else
    fail "dither $label: expected $want $dither, got $got"
    sed 's/^/    /' "$scratch/dither.txt"
  fi
done

# Input it must refuse: one line, exit 2.
"$render" --plugin hdr --set "Pattern=BT.2111 Bars" --depth 16 -o "$scratch/bars.png" >/dev/null 2>&1
: >"$scratch/empty.png"
head -c 5000 "$(frame_of "PQ Narrow")" >"$scratch/truncated.png"
printf '\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x06\0\0\0' >"$scratch/huge.png"
head -c 1000 /dev/zero >"$scratch/short.raw"
"$ffmpeg" -nostdin -v error -y -i "$(frame_of "PQ Narrow")" -c:v ffv1 "$scratch/whole.mkv"
head -c 3000 "$scratch/whole.mkv" >"$scratch/truncated.mkv"
# A named pipe: read once a writer comes, refused in bounded time when none does.
mkfifo "$scratch/pipe"
"$ffmpeg" -nostdin -v error -y -i "$(frame_of "PQ Narrow")" -vf "$(full_scale "PQ Narrow")format=gbrp10le" \
  -f rawvideo -pix_fmt gbrp10le "$scratch/piped.raw"
(sleep 1; cat "$scratch/piped.raw" >"$scratch/pipe") &
timeout 20 "$reader" "$scratch/pipe" --size 1920x1080 --pix-fmt gbrp10le >/dev/null 2>&1
status=$?
wait
[[ $status == 0 ]] && echo "ok: named pipe with a writer" || fail "named pipe with a writer: exit $status"
for case in "bars.png:no Chain Check strip found in" "empty.png:not a PNG file" "truncated.png:" \
            "pipe --size 1920x1080 --pix-fmt gbrp10le --pipe-wait 1:no process wrote to within 1 s" \
            "pipe:is a named pipe" \
            "huge.png:larger than accepted" ".:cannot read: Is a directory" "truncated.mkv:truncated" "seq-%09d.png:no file of the sequence" "short.raw --size 1920x1080 --pix-fmt gbrp10le:ends inside"; do
  args=${case%%:*} want=${case#*:}
  read -r -a argv <<<"$args"
  argv[0]=$scratch/${argv[0]}
  out=$(timeout 20 "$reader" "${argv[@]}" 2>&1)
  status=$?
  lines=$(printf '%s\n' "$out" | wc -l)
  if [[ $status != 2 || $lines != 1 || $out != *"$want"* ]]; then
    fail "refuses $args: exit $status, $lines lines: $out"
  else
    echo "ok: refuses $args: $out"
  fi
done

# A loop-back of another signal is no reference for this capture.
out=$(timeout 20 "$reader" --reference "$(frame_of "HLG Narrow")" "$(frame_of "PQ Narrow")" 2>&1)
status=$?
if [[ $status != 2 || $(printf '%s\n' "$out" | wc -l) != 1 || $out != *"another signal"* ]]; then
  fail "refuses a reference of another signal: exit $status: $out"
else
  echo "ok: refuses a reference of another signal: $out"
fi

echo "$failures failures"
[[ $failures == 0 ]]
