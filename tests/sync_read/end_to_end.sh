#!/usr/bin/env bash
# A SYNC clip rendered by veltrima-render, damaged on the way as a processor
# would damage it (ffmpeg removes three frames and shows one twice), read
# back by veltrima-sync-read from a raw stream and from PNG files: exactly
# those drops and that repeat must be reported, nothing else.
# Usage: end_to_end.sh RENDER SYNC_MODULE SYNC_READ FFMPEG
set -euo pipefail
render=$1 plugin=$2 reader=$3 ffmpeg=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=640x360 frames=60 fps=60

"$render" --plugin "$plugin" --start-time 10:00:00.000 --size $size --frames $frames --fps $fps \
  --quiet -o - >"$work/clip.rgba"

# Frames 10, 11 and 40 removed; then frame 5 shown twice, by cutting the
# stream after it and starting it again at it. Every frame passes through
# (-fps_mode passthrough): ffmpeg must not make up for the gaps.
damage="[0:v]select='not(between(n\,10\,11)+eq(n\,40))',split[a][b];
[a]trim=end_frame=6[head];[b]trim=start_frame=5,setpts=PTS-STARTPTS[tail];
[head][tail]concat=n=2:v=1:a=0"
"$ffmpeg" -hide_banner -loglevel error -f rawvideo -pix_fmt rgba -s $size -r $fps \
  -i "$work/clip.rgba" -filter_complex "$damage" -fps_mode passthrough \
  -f rawvideo -pix_fmt rgba "$work/damaged.rgba"
mkdir "$work/png"
"$ffmpeg" -hide_banner -loglevel error -f rawvideo -pix_fmt rgba -s $size -r $fps \
  -i "$work/damaged.rgba" -fps_mode passthrough "$work/png/%03d.png"

failures=0
check() {  # NAME TEXT PATTERN
  if ! grep -qE -- "$3" <<<"$2"; then
    echo "FAIL ($1): expected /$3/ in:"
    echo "$2"
    failures=$((failures + 1))
  fi
}

raw=$("$reader" --size $size --fps $fps --csv "$work/damaged.rgba" 2>"$work/summary.txt")
summary=$(<"$work/summary.txt")
pngs=$("$reader" "$work"/png/*.png)
for form in raw pngs; do
  text=${!form}
  [[ $form == raw ]] && text+=$'\n'$summary
  check $form "$text" "frames read: +58$"
  check $form "$text" "decoded: +58 \(58 STRIP, 0 QR\)$"
  check $form "$text" "dropped: +3$"
  check $form "$text" "repeated: +1$"
  check $form "$text" "out of order: +0$"
  check $form "$text" "undecodable: +0$"
done
# Where each happened, from the CSV rows: index,frame,time,timecode,output,code,latency,note
check rows "$raw" "^6,5,10:00:00\.083,,0,STRIP,[-0-9.]+,repeat,frame 6$"
check rows "$raw" "^11,12,10:00:00\.200,,0,STRIP,[-0-9.]+,2 dropped before,frame 11$"
check rows "$raw" "^39,41,10:00:00\.683,,0,STRIP,[-0-9.]+,1 dropped before,frame 39$"
notes=$(cut -d, -f8 <<<"$raw" | grep -c . || true)
check rows "$notes" "^4$"  # the header and those three rows, no other notes
((failures == 0)) && echo "end to end: 3 dropped and 1 repeat reported, from raw frames and PNGs"
exit $((failures > 0))
