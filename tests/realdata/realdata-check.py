#!/usr/bin/python3
"""Runs glintfetch-cli over a real-data corpus and checks every find with its kind's reference tool.

A find is junk when the tool made for its kind refuses it: ImageMagick's identify for pictures,
dcraw or exiftool for camera raw files, ffprobe and ffmpeg for sound and video (which must also
hold at least half a second of media), gzip, bzip2, xz, unzip, 7z, bsdtar and tar for archives,
pdfinfo, olefile, sqlite3, readelf and pefile for documents, databases and programs. A find that
lies inside another real file is no junk when its tool takes it.

Prints the table of finds, checked and junk per kind (--markdown: as a Markdown table), then each
junk find with the tool's word and the corpus file it lies in. Exits 1 when a find is junk (or,
with --allow-junk, when the junk is above the given share), 2 when the run itself failed.

Usage: realdata-check.py --cli build/bin/glintfetch-cli --corpus build/realdata/corpus-256M.bin
"""

import argparse
import bisect
import concurrent.futures
import csv
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

MEDIA_SECONDS = 0.5
TOOL_SECONDS = 120

# The ImageMagick coder that must read each picture kind (the kind is forced, not guessed).
PICTURE_CODERS = {
    "png": "png", "jpg": "jpeg", "gif": "gif", "bmp": "bmp", "tif": "tiff", "ico": "ico", "cur": "cur",
    "psd": "psd", "psb": "psb", "webp": "webp", "jp2": "jp2", "j2k": "j2k", "heic": "heic", "avif": "avif",
}
RAW_KINDS = {"dng", "cr2", "nef", "arw", "orf", "rw2"}
# The ffmpeg demuxer that must read each sound and video kind.
MEDIA_FORMATS = {
    "wav": "wav", "aif": "aiff", "ogg": "ogg", "flac": "flac", "mp3": "mp3", "wma": "asf", "wmv": "asf",
    "asf": "asf", "avi": "avi", "mp4": "mov", "mov": "mov", "3gp": "mov", "m4a": "mov", "mkv": "matroska",
    "webm": "matroska", "flv": "flv", "mpg": "mpeg",
}
ZIP_KINDS = {"zip", "docx", "xlsx", "pptx", "odt", "ods", "odp", "epub", "jar", "apk"}
# The stream a compound file of each kind must hold.
OLE_STREAMS = {"doc": ["WordDocument"], "xls": ["Workbook", "Book"], "ppt": ["PowerPoint Document"], "ole": []}


def run(command, **options):
    try:
        done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=TOOL_SECONDS,
                              **options)
    except subprocess.TimeoutExpired:
        return 1, b"", b"timed out"
    return done.returncode, done.stdout, done.stderr


def first_line(data):
    text = data.decode("utf-8", "replace").strip()
    return text.splitlines()[0][:160] if text else ""


def verdict(code, stdout, stderr, tool):
    """None when the tool accepted the file, else why not."""
    if code == 0:
        return None
    return f"{tool}: {first_line(stderr) or first_line(stdout) or f'exit {code}'}"


def check_picture(path, kind):
    code, stdout, stderr = run(["identify", "-quiet", f"{PICTURE_CODERS[kind]}:{path}"])
    return verdict(code, stdout, stderr, "identify")


def check_raw(path, kind):
    if kind == "cr3":
        code, stdout, stderr = run(["exiftool", "-j", "-FileType", "-Error", path])
        if code != 0:
            return verdict(code, stdout, stderr, "exiftool")
        tags = json.loads(stdout or b"[{}]")[0]
        if tags.get("FileType") != "CR3" or "Error" in tags:
            return f"exiftool: {tags.get('Error') or tags.get('FileType')}"
        return None
    code, stdout, stderr = run(["dcraw", "-i", path])
    return verdict(code, stdout, stderr, "dcraw -i")


def media_seconds(packets):
    """The longest stream's media time: the sum of its packets' durations."""
    seconds = {}
    for packet in packets:
        try:
            duration = float(packet.get("duration_time", "0"))
        except ValueError:
            continue
        seconds[packet.get("stream_index", 0)] = seconds.get(packet.get("stream_index", 0), 0.0) + duration
    return max(seconds.values(), default=0.0)


def check_media(path, kind):
    demuxer = MEDIA_FORMATS[kind]
    code, stdout, stderr = run(["ffprobe", "-v", "error", "-f", demuxer, "-show_entries",
                                "packet=stream_index,duration_time", "-of", "json", path])
    if code != 0 or stderr.strip():
        return verdict(code or 1, stdout, stderr, "ffprobe")
    seconds = media_seconds(json.loads(stdout or b"{}").get("packets", []))
    if seconds < MEDIA_SECONDS:
        return f"ffprobe: {seconds:.3f} s of media"
    # Every packet decodes without an error.
    code, stdout, stderr = run(["ffmpeg", "-nostdin", "-v", "error", "-f", demuxer, "-i", path, "-map", "0",
                                "-f", "null", "-"])
    if code != 0 or stderr.strip():
        return verdict(code or 1, stdout, stderr, "ffmpeg")
    return None


def check_midi(path, kind):
    import mido
    try:
        song = mido.MidiFile(path, clip=False)
        if not song.tracks:
            return "mido: no track"
    except Exception as error:  # mido raises whatever its reader meets
        return f"mido: {error}"
    return None


def check_zip(path, kind):
    code, stdout, stderr = run(["unzip", "-tqq", path])
    return verdict(code, stdout, stderr, "unzip -t")


def check_tool(command, name):
    def check(path, kind):
        code, stdout, stderr = run(command + [path])
        return verdict(code, stdout, stderr, name)
    return check


def check_rar(path, kind):
    code, stdout, stderr = run(["bsdtar", "-tf", path])
    if code != 0:
        return verdict(code, stdout, stderr, "bsdtar -t")
    with open(os.devnull, "wb") as sink:
        done = subprocess.run(["bsdtar", "-xOf", path], stdin=subprocess.DEVNULL, stdout=sink,
                              stderr=subprocess.PIPE, timeout=TOOL_SECONDS)
    return verdict(done.returncode, b"", done.stderr, "bsdtar -x")


def check_tar(path, kind):
    code, stdout, stderr = run(["tar", "-tf", path])
    if code != 0 or stderr.strip():
        return verdict(code or 1, stdout, stderr, "tar -t")
    if not stdout.strip():
        return "tar -t: no entry"
    return None


def check_pdf(path, kind):
    code, stdout, stderr = run(["pdfinfo", path])
    return verdict(code, stdout, stderr, "pdfinfo")


def check_ole(path, kind):
    import olefile
    try:
        if not olefile.isOleFile(path):
            return "olefile: not a compound file"
        with olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT) as compound:
            streams = OLE_STREAMS[kind]
            if streams and not any(compound.exists(stream) for stream in streams):
                return f"olefile: no {' or '.join(streams)} stream"
            for entry in compound.listdir(streams=True, storages=False):
                compound.openstream(entry).read()
    except Exception as error:
        return f"olefile: {error}"
    return None


def check_sqlite(path, kind):
    code, stdout, stderr = run(["sqlite3", "-readonly", path, "PRAGMA integrity_check;"])
    if code != 0 or stdout.strip() != b"ok":
        return verdict(code or 1, stderr, stdout, "sqlite3 integrity_check")
    return None


# A separate debug file keeps its program's program headers, but not the interpreter's name they
# point at: readelf says so of every whole file in /usr/lib/debug.
READELF_DEBUG_FILE = b"Unable to find program interpreter name"


def check_elf(path, kind):
    code, stdout, stderr = run(["readelf", "-h", "-S", "-W", path])
    complaints = b"\n".join(line for line in stderr.splitlines() if line.strip() and READELF_DEBUG_FILE not in line)
    if code != 0 or complaints:
        return verdict(code or 1, stdout, complaints, "readelf -h -S")
    return None


def check_exe(path, kind):
    import pefile
    try:
        image = pefile.PE(path, fast_load=True)
        size = os.path.getsize(path)
        for section in image.sections:
            if section.SizeOfRawData and section.PointerToRawData + section.SizeOfRawData > size:
                name = section.Name.rstrip(b"\0").decode("ascii", "replace")
                return f"pefile: section {name} past the end"
    except Exception as error:
        return f"pefile: {error}"
    return None


def guarded(check):
    """The check, with a failure of the checking itself told as such rather than ending the run."""
    def run_check(path, kind):
        try:
            return check(path, kind)
        except Exception as error:
            return f"checking failed: {error!r}"
    return run_check


def checker(kind):
    check = plain_checker(kind)
    return guarded(check) if check else None


def plain_checker(kind):
    if kind in PICTURE_CODERS:
        return check_picture
    if kind in RAW_KINDS or kind == "cr3":
        return check_raw
    if kind in MEDIA_FORMATS:
        return check_media
    if kind in ZIP_KINDS:
        return check_zip
    if kind in OLE_STREAMS:
        return check_ole
    return {
        "mid": check_midi,
        "gz": check_tool(["gzip", "-t"], "gzip -t"),
        "bz2": check_tool(["bzip2", "-t"], "bzip2 -t"),
        "xz": check_tool(["xz", "-t"], "xz -t"),
        "7z": check_tool(["7z", "t"], "7z t"),
        "rar": check_rar,
        "tar": check_tar,
        "pdf": check_pdf,
        "sqlite": check_sqlite,
        "elf": check_elf,
        "exe": check_exe,
    }.get(kind)


class Manifest:
    """Which corpus file a byte of the corpus belongs to."""

    def __init__(self, path):
        self.offsets, self.entries = [], []
        try:
            with open(path, encoding="utf-8", errors="surrogateescape") as lines:
                for line in lines:
                    if line.startswith("#"):
                        continue
                    offset, size, name = line.rstrip("\n").split("\t", 2)
                    self.offsets.append(int(offset))
                    self.entries.append((int(offset), int(size), name))
        except OSError:
            pass

    def where(self, offset):
        index = bisect.bisect_right(self.offsets, offset) - 1
        if index < 0:
            return "?"
        start, size, name = self.entries[index]
        return f"{name} +{offset - start}" + ("" if offset - start < size else " (past its end)")


def extract(cli, corpus, output, kinds):
    report = os.path.join(output, "finds.csv")
    command = [cli, "-q", "-o", output, "--per-kind", "--report", report, corpus]
    if kinds:
        command[1:1] = ["--kinds", kinds]
    done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if done.returncode != 0:
        sys.stderr.write(done.stdout + done.stderr)
        sys.exit(f"glintfetch-cli failed with exit {done.returncode}")
    with open(report, newline="", encoding="utf-8") as lines:
        return list(csv.DictReader(lines))


def self_test():
    """Whether the checks tell real files from junk: files that the tools themselves write must pass,
    the same files cut or broken must not. Returns the number of wrong verdicts."""
    folder = tempfile.mkdtemp(prefix="glintfetch-realdata-self-test-")
    try:
        def made(name, command):
            path = os.path.join(folder, name)
            subprocess.run(command.format(out=path), shell=True, check=True, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return path

        def derived(name, source, change):
            with open(source, "rb") as original:
                data = bytearray(original.read())
            path = os.path.join(folder, name)
            with open(path, "wb") as target:
                target.write(change(data))
            return path

        tone = "ffmpeg -v error -nostdin -y -f lavfi -i sine=f=440:d={}:sample_rate=44100 -c:a libmp3lame -f mp3 {{out}}"
        png = made("good.png", "convert -size 16x16 xc:red {out}")
        gz = made("good.gz", "head -c 100000 /usr/bin/ls | gzip -c > {out}")
        mp3 = made("good.mp3", tone.format(1))
        elf = made("good.elf", "cp /usr/bin/true {out}")
        cases = [
            ("png", png, True),
            ("png", derived("cut.png", png, lambda d: d[: len(d) // 2]), False),
            ("gz", gz, True),
            ("gz", derived("cut.gz", gz, lambda d: d[:-9]), False),
            ("mp3", mp3, True),
            ("mp3", made("short.mp3", tone.format(0.2)), False),
            ("elf", elf, True),
            ("elf", derived("cut.elf", elf, lambda d: d[:4096]), False),
            ("zip", derived("not.zip", gz, lambda d: b"PK\3\4" + d), False),
        ]
        wrong = 0
        for kind, path, real in cases:
            why = checker(kind)(path, kind)
            if (why is None) != real:
                wrong += 1
                print(f"self-test: {os.path.basename(path)} taken for {'junk' if real else 'real'}: {why}")
        return wrong
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--self-test", action="store_true",
                        help="only check that the checks take real files and refuse cut ones")
    parser.add_argument("--cli", help="glintfetch-cli, with its plug-ins beside it")
    parser.add_argument("--corpus", help="a corpus of scripts/realdata-corpus.py")
    parser.add_argument("--kinds", default="", help="only these plug-ins' kinds (as glintfetch-cli --kinds)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 4, help="checks at once")
    parser.add_argument("--markdown", action="store_true", help="print the table in Markdown")
    parser.add_argument("--allow-junk", type=float, default=0.0, metavar="PERCENT",
                        help="succeed while the junk is at most this share of the checked finds")
    parser.add_argument("--most-junk-per-kind", type=int, default=-1, metavar="N",
                        help="with --allow-junk: fail when a kind has more than N junk finds")
    parser.add_argument("--least-finds", type=int, default=0, metavar="N",
                        help="fail when the run finds fewer than N files (a run that found nothing proves nothing)")
    parser.add_argument("--keep", metavar="DIR", help="extract into DIR (kept) instead of a temporary folder")
    arguments = parser.parse_args()
    if arguments.self_test:
        sys.exit(1 if self_test() else 0)
    if not arguments.cli or not arguments.corpus:
        parser.error("--cli and --corpus are needed")

    tools = ["identify", "dcraw", "exiftool", "ffprobe", "ffmpeg", "unzip", "gzip", "bzip2", "xz", "7z", "bsdtar",
             "tar", "pdfinfo", "sqlite3", "readelf"]
    missing = [tool for tool in tools if shutil.which(tool) is None]
    for module in ("olefile", "pefile", "mido"):
        try:
            __import__(module)
        except ImportError:
            missing.append(f"python3-{module}")
    if missing:
        sys.exit(f"reference tools missing (bash scripts/setup.sh installs them): {', '.join(missing)}")
    manifest = Manifest(arguments.corpus + ".manifest")
    output = arguments.keep or tempfile.mkdtemp(prefix="glintfetch-realdata-")
    os.makedirs(output, exist_ok=True)
    try:
        started = time.monotonic()
        finds = extract(arguments.cli, arguments.corpus, output, arguments.kinds)
        extracted = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(max_workers=arguments.jobs) as pool:
            futures = []
            for find in finds:
                check = checker(find["kind"])
                futures.append(pool.submit(check, find["output"], find["kind"]) if check else None)
            results = [future.result() if future else "unchecked" for future in futures]
        checked = time.monotonic()
    finally:
        if not arguments.keep:
            shutil.rmtree(output, ignore_errors=True)

    table = {}
    junk = []
    for find, result in zip(finds, results):
        row = table.setdefault(find["kind"], [0, 0, 0])
        row[0] += 1
        if result == "unchecked":
            continue
        row[1] += 1
        if result is not None:
            row[2] += 1
            junk.append((find, result))

    total = [sum(row[i] for row in table.values()) for i in range(3)]
    share = 100.0 * total[2] / total[1] if total[1] else 0.0
    if arguments.markdown:
        print("| kind | finds | checked | junk |")
        print("|---|---:|---:|---:|")
        for kind in sorted(table):
            print(f"| {kind} | {table[kind][0]} | {table[kind][1]} | {table[kind][2]} |")
        print(f"| all | {total[0]} | {total[1]} | {total[2]} ({share:.2f} %) |")
    else:
        print(f"{'kind':<8} {'finds':>7} {'checked':>8} {'junk':>6}")
        for kind in sorted(table):
            print(f"{kind:<8} {table[kind][0]:>7} {table[kind][1]:>8} {table[kind][2]:>6}")
        print(f"{'all':<8} {total[0]:>7} {total[1]:>8} {total[2]:>6}  ({share:.2f} % junk)")
    print(f"\nglintfetch-cli took {extracted - started:.1f} s, the checks {checked - extracted:.1f} s "
          f"({arguments.jobs} at once).\n")
    for find, why in junk:
        print(f"junk {find['kind']} at {find['offset']} ({find['size']} bytes, in {manifest.where(int(find['offset']))}): "
              f"{why}")

    failed = share > arguments.allow_junk if arguments.allow_junk > 0 else total[2] > 0
    if arguments.most_junk_per_kind >= 0 and any(row[2] > arguments.most_junk_per_kind for row in table.values()):
        failed = True
    if total[0] < arguments.least_finds:
        print(f"only {total[0]} finds, fewer than {arguments.least_finds}")
        failed = True
    unchecked = sorted(kind for kind, row in table.items() if row[1] < row[0])
    if unchecked:
        print(f"no reference tool for: {', '.join(unchecked)}")
        failed = True
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
