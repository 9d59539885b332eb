#!/usr/bin/env bash
# Writes the archive parsers' fuzz seeds with the real tools (Python's zipfile for the ZIP-based
# layouts): small files, so that the fuzzer starts from each format's structures. Run from here.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'glintfetch seed line\nglintfetch seed line\n' > "$work/a.txt"
printf 'second' > "$work/b.txt"
mkdir -p zip gz bz2 xz 7z tar docx odt
(cd "$work" && zip -q -X plain.zip a.txt b.txt && zip -q -X - a.txt | cat > streamed.zip)
cp "$work/plain.zip" zip/plain.zip
cp "$work/streamed.zip" zip/streamed.zip
gzip -c -n "$work/a.txt" > gz/one.gz
cat gz/one.gz gz/one.gz > gz/two-members.gz
bzip2 -c "$work/a.txt" > bz2/one.bz2
xz -c "$work/a.txt" > xz/one.xz
rm -f 7z/two.7z
(cd "$work" && 7z a -bd -y two.7z a.txt b.txt >/dev/null && 7z a -bd -y -mhc=off plain.7z a.txt >/dev/null)
cp "$work/two.7z" 7z/two.7z
cp "$work/plain.7z" 7z/plain-header.7z
(cd "$work" && tar --format=ustar --mtime=@0 --owner=0 --group=0 -b1 -cf one.tar a.txt)
cp "$work/one.tar" tar/one.tar
python3 - <<'PY'
import zipfile
with zipfile.ZipFile('docx/small.docx', 'w') as z:
    z.writestr('[Content_Types].xml', '<Types/>', zipfile.ZIP_DEFLATED)
    z.writestr('word/document.xml', '<w/>', zipfile.ZIP_DEFLATED)
with zipfile.ZipFile('odt/small.odt', 'w') as z:
    z.writestr('mimetype', 'application/vnd.oasis.opendocument.text', zipfile.ZIP_STORED)
    z.writestr('content.xml', '<c/>', zipfile.ZIP_DEFLATED)
PY
