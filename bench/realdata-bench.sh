#!/usr/bin/env bash
# Every plug-in over the real-data corpus, each find checked by its kind's reference tool: the
# per-kind table of finds, checked and junk for each size given (2G and 4G when none is), as
# bench/README.md shows it. The corpora are made of every installed package's files (see
# scripts/realdata-corpus.py) and kept in the build folder. Exits 1 when a table misses the target:
# at most 0.5 % of the checked finds junk and no kind with more than 5. The program is the copy the
# build lays out for the real-data tests, with every plug-in on and no config.xml.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${GLINTFETCH_BUILD_DIR:-build}
sizes=("$@")
if [ "${#sizes[@]}" -eq 0 ]; then sizes=(2G 4G); fi
status=0
for size in "${sizes[@]}"; do
  corpus="$build/realdata/corpus-$size-installed.bin"
  /usr/bin/python3 scripts/realdata-corpus.py --size "$size" --packages installed --largest-file 64M "$corpus" >&2
  echo "### $size ($(sed -n 's/^# files: //p' "$corpus.manifest") files)"
  echo
  /usr/bin/python3 tests/realdata/realdata-check.py --cli "$build/tests-bin/realdata/glintfetch-cli" --corpus "$corpus" \
    --markdown --allow-junk 0.5 --most-junk-per-kind 5 || status=1
  echo
done
exit $status
