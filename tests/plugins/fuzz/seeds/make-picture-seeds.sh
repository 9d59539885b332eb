#!/usr/bin/env bash
# Writes the seeds of the picture parsers' fuzzers with the tools scripts/setup.sh installs: tiny
# pictures, so that a short fuzzing run starts from every structure the parsers walk.
# Run from anywhere; it rewrites the files it makes and leaves the others alone.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p tif nef psd ico cur bmp jpeg
picture="-size 9x7 gradient:red-blue -seed 2 -attenuate 0.4 +noise Uniform"
convert $picture -define tiff:endian=lsb -compress none tif/little-endian.tif
convert $picture -define tiff:endian=msb -compress lzw tif/big-endian.tif
convert $picture -define tiff:endian=lsb TIFF64:tif/bigtiff.tif
convert $picture -define tiff:tile-geometry=16x16 tif/tiles.tif
convert $picture tif/exif-gps.tif
exiftool -q -overwrite_original -Artist=a -DateTimeOriginal='2026:01:02 03:04:05' -GPSLatitude=1 -GPSLatitudeRef=N \
  tif/exif-gps.tif
cp tif/exif-gps.tif nef/make.tif
exiftool -q -overwrite_original -Make='NIKON CORPORATION' nef/make.tif
convert $picture -depth 8 -compress RLE psd/rle.psd
convert \( $picture \) \( $picture \) -depth 8 psd/layers.psd
convert $picture -depth 8 -compress none PSB:psd/large.psb
# Smooth, so that the 256-pixel PNG image stays small.
convert -size 9x7 gradient:red-blue -define icon:auto-resize=16,256 ico/bitmap-and-png.ico
# A cursor is an icon file of type 2.
printf '\x02' | cat <(head -c 2 ico/bitmap-and-png.ico) - <(tail -c +4 ico/bitmap-and-png.ico) > cur/cursor.cur
convert $picture BMP2:bmp/os2-core.bmp
convert $picture -colors 16 -compress rle BMP3:bmp/rle8.bmp
convert $picture ppm:- | cjpeg -restart 1B > jpeg/restarts.jpg
convert $picture ppm:- | cjpeg -progressive > jpeg/progressive.jpg
