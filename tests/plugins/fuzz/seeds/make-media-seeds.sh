#!/usr/bin/env bash
# Writes the fuzzers' seeds for the video, sound and picture parsers with ffmpeg and ImageMagick:
# the smallest files they make (one or a few frames of 16x16 pixels, a tenth of a second of tone).
# Run from anywhere; the results are committed beside this script.
set -euo pipefail
cd "$(dirname "$0")"
picture="-f lavfi -i testsrc=size=16x16:rate=25:duration=0.08"
tone="-f lavfi -i sine=frequency=440:sample_rate=16000:duration=0.1"
still="-f lavfi -i testsrc=size=16x16:rate=1:duration=1 -frames:v 1"
ff() { ffmpeg -nostdin -v error -y "$@"; }
mkdir -p isomedia matroska asf flv mpg jpeg2000
ff $picture $tone -c:v mpeg4 -c:a aac -b:a 16k -f mp4 isomedia/small.mp4
ff $picture $tone -c:v mpeg4 -c:a aac -b:a 16k -movflags +faststart -f mov isomedia/small.mov
ff $still -c:v libaom-av1 -cpu-used 8 -still-picture 1 -f avif isomedia/small.avif
convert-im6.q16 -size 16x16 gradient:red-blue isomedia/small.heic
ff $picture $tone -c:v mpeg4 -c:a aac -b:a 16k -f matroska matroska/small.mkv
ff $picture -c:v mpeg4 -f matroska - > matroska/live.mkv
ff $picture $tone -c:v libvpx -deadline realtime -c:a libvorbis -f webm matroska/small.webm
ff $picture $tone -c:v wmv2 -c:a wmav2 -b:a 24k -f asf asf/small.wmv
ff $tone -c:a wmav2 -b:a 24k -f asf asf/small.wma
ff $picture $tone -c:v flv -c:a aac -b:a 16k -ar 22050 -f flv flv/small.flv
ff $picture -c:v mpeg1video -f mpeg mpg/small.mpg
ff $picture -c:v mpeg2video -f vob mpg/small.vob
ff $still -c:v jpeg2000 -format jp2 -f image2 jpeg2000/small.jp2
ff $still -c:v jpeg2000 -format j2k -f image2 jpeg2000/small.j2k
