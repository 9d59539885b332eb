#!/usr/bin/env bash
# Writes the small seeds of the sound and WebP parsers' fuzzers with the tools the tests use.
# Run by hand from anywhere; the results are kept in the repository beside this script.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p wav avi webp aif mid ogg flac mp3
tone="-f lavfi -i sine=f=440:d=0.02:sample_rate=8000"
ff="ffmpeg -v error -nostdin -y -bitexact"

$ff $tone -f wav pipe:1 > wav/streamed.wav
$ff $tone -rf64 always -f wav wav/rf64.wav
$ff -f lavfi -i testsrc=size=4x4:rate=5:duration=0.4 -c:v rawvideo -pix_fmt gray -f avi pipe:1 > avi/streamed.avi

convert -size 4x4 xc:red red.png
convert -size 4x4 xc:none -fill blue -draw 'point 1,1' alpha.png
cwebp -quiet -q 50 red.png -o webp/lossy.webp
cwebp -quiet -lossless red.png -o webp/lossless.webp
cwebp -quiet -q 50 alpha.png -o webp/alpha.webp
img2webp -loop 0 -lossy red.png -lossless alpha.png -o webp/animated.webp >/dev/null
rm red.png alpha.png

sox -n -r 8000 -c 1 -b 8 -t aiff aif/short.aiff synth 0.01 sine 440
sox -n -r 8000 -c 1 -e u-law -t aifc aif/short.aifc synth 0.01 sine 440

# Format 0, one track: a note on and off, then the end of the track.
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\15\0\220\74\100\140\200\74\0\0\377\57\0' > mid/one-note.mid

$ff $tone -c:a libvorbis -f ogg ogg/vorbis.ogg
$ff $tone -c:a libopus -b:a 8k -f ogg ogg/opus.ogg
$ff $tone -c:a flac -f ogg ogg/flac.oga
sox -n -r 8000 -c 1 -b 16 -t flac flac/short.flac synth 0.02 sine 440
$ff -f lavfi -i sine=f=440:d=0.1:sample_rate=8000 -c:a libmp3lame -b:a 8k -f mp3 mp3/short.mp3
$ff -f lavfi -i sine=f=440:d=0.1:sample_rate=32000 -c:a mp2 -b:a 32k -f mp2 mp3/short.mp2
