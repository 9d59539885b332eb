#!/usr/bin/env bash
# Installs everything the project needs to build, test and run, from Debian packages.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libxerces-c-dev
  # The scanning core's multi-pattern matcher.
  libvectorscan-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth x11-utils imagemagick
  fonts-ipafont-gothic locales
  qt6-translations-l10n
  # Decoders that the archive plug-ins check their finds' ends with.
  zlib1g-dev libbz2-dev liblzma-dev
  # The real tools that write the tests' sample files, and the carver the benchmark compares with.
  python3 zip unzip bzip2 xz-utils p7zip-full tar sqlite3 qpdf
  ffmpeg sox libimage-exiftool-perl libjpeg-turbo-progs webp lame
  # Writes the JPEG-LS files the JPEG plug-in's tests read.
  libcharls-dev
  foremost
  # Measures the peak memory of glintfetch-cli for the extraction benchmark.
  time
  # The reference tools that the real-data test checks every find with (beside ImageMagick,
  # ffmpeg, the archivers and sqlite3 above).
  poppler-utils binutils dcraw libarchive-tools python3-olefile python3-pefile python3-mido
  # Reads the partition tables and file systems found on inputs (names, folders, FAT chains).
  libtsk-dev
  # Make the disk and card images the file-system tests read, without mounting them; the other
  # recoverers the card benchmark compares with.
  dosfstools mtools exfatprogs e2fsprogs ntfs-3g genisoimage fdisk gdisk
  sleuthkit testdisk
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests switch the decimal separator between "." and "," through the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
