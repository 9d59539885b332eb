#!/usr/bin/env python3
"""A camera card as users bring it: what glintfetch gets back from it, beside tsk_recover and PhotoRec.

Makes a 256 MiB FAT32 card image with the file system's own tools (mkfs.vfat, mtools; never
mounted): DCIM/100CAMER holding 110 JPEG files made by ImageMagick. 16 pictures are deleted one at
a time, each followed by a larger one that fills its hole and goes on behind the last picture
(fragmented), as a camera does after pictures are deleted on it; then a third of the 110 are
deleted. Every recoverer then works on the same image, and each of the 110 counts as recovered
when some output file holds exactly its bytes, and as named when such a file also has its name.

    python3 bench/card-benchmark.py --cli build/bin/glintfetch-cli [--work DIR] [--markdown]
"""

import argparse
import concurrent.futures
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time

PICTURES = 110
REFILLED = 16
CLUSTER_SECTORS = 4  # 2 KiB clusters: FAT32 on 256 MiB must have 65525 clusters at the least


def run(command, **kwargs):
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1", TZ="UTC")
    return subprocess.run(command, check=True, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kwargs)


def picture(path, index):
    # Sizes like a small camera's, each picture its own.
    width = 640 + (index * 37) % 960 if index < 4000 else 1600
    height = 480 + (index * 53) % 720 if index < 4000 else 1200
    run(["convert", "-size", f"{width}x{height}", "-seed", str(index), "plasma:fractal",
         "-attenuate", "0.3", "+noise", "Gaussian", "-quality", str(85 + index % 10), path])


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def first_fit(card):
    """Makes the next file start in the first free cluster, as camera firmware does: FAT32 keeps a
    hint of where free space begins (the FSInfo sector's next-free field), which mtools follows."""
    with open(card, "r+b") as f:
        boot = f.read(512)
        fsinfo = int.from_bytes(boot[0x30:0x32], "little") * 512
        f.seek(fsinfo + 0x1EC)
        f.write((2).to_bytes(4, "little"))


def make_card(work):
    pictures = os.path.join(work, "pictures")
    os.makedirs(pictures, exist_ok=True)
    # The first PICTURES are written first; REFILLED of them are deleted at once and the
    # REFILLED that come after them are larger, to fill the holes and go on behind.
    count = PICTURES + REFILLED
    paths = [os.path.join(pictures, f"p{i:03d}.jpg") for i in range(count)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        list(pool.map(lambda i: picture(paths[i], i if i < PICTURES else 4000 + i), range(count)))
    # The refills are made larger than any hole: two of the largest pictures side by side.
    for i in range(PICTURES, count):
        run(["convert", paths[i], paths[i], "+append", "-quality", "92", paths[i]])

    card = os.path.join(work, "card.img")
    run(["dd", "if=/dev/zero", f"of={card}", "bs=1M", "count=256"])
    run(["mkfs.vfat", "-F", "32", "-s", str(CLUSTER_SECTORS), "-n", "CAMERA", card])
    run(["mmd", "-i", card, "::DCIM", "::DCIM/100CAMER"])
    names = {}
    for i in range(PICTURES):
        names[i] = f"DSC{i + 1:05d}.JPG"
        run(["mcopy", "-m", "-i", card, paths[i], "::DCIM/100CAMER/" + names[i]])
    # Deleted on the camera one at a time, spread over the card, and each time a larger picture
    # taken after it: it fills the hole and goes on behind the last picture.
    gone = [3 + i * (PICTURES - 6) // REFILLED for i in range(REFILLED)]
    for n, (i, refill) in enumerate(zip(gone, range(PICTURES, count))):
        run(["mdel", "-i", card, "::DCIM/100CAMER/" + names.pop(i)])
        first_fit(card)
        names[refill] = f"DSC{PICTURES + n + 1:05d}.JPG"
        run(["mcopy", "-m", "-i", card, paths[refill], "::DCIM/100CAMER/" + names[refill]])
    kept = sorted(names)
    # Measured while every picture is live, from the allocation table itself.
    pieces = pieces_of(card)
    deleted = set(kept[1::3])
    for i in sorted(deleted):
        run(["mdel", "-i", card, "::DCIM/100CAMER/" + names[i]])
    truth = [(names[i], sha(paths[i]), i in deleted, pieces.get(names[i], 1) > 1) for i in kept]
    return card, truth


def pieces_of(card):
    """The number of separate runs of clusters of every file, by name."""
    listing = run(["fls", "-r", "-p", card]).stdout.decode()
    pieces = {}
    for line in listing.splitlines():
        match = re.match(r"r/r (\d+):\s+DCIM/100CAMER/(\S+)$", line)
        if not match:
            continue
        sectors = []
        for l in run(["istat", card, match.group(1)]).stdout.decode().split("Sectors:")[-1].split():
            # The last cluster's unused sectors are listed as 0.
            if l.isdigit() and l != "0":
                sectors.append(int(l))
        runs = 1 + sum(1 for a, b in zip(sectors, sectors[1:]) if b != a + 1)
        pieces[match.group(2)] = runs
    return pieces


def outputs(folder):
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            found.setdefault(sha(os.path.join(root, name)), set()).add(name)
    return found


def score(truth, found):
    exact = named = 0
    by_kind = {"live": [0, 0], "deleted": [0, 0], "fragmented": [0, 0], "deleted fragmented": [0, 0]}
    for name, digest, deleted, refill in truth:
        kind = ("deleted " if deleted else "") + ("fragmented" if refill else "")
        kind = kind.strip() or "live"
        by_kind[kind][1] += 1
        if digest in found:
            exact += 1
            by_kind[kind][0] += 1
            if name in found[digest]:
                named += 1
    return exact, named, by_kind


def timed(command, cwd=None):
    start = time.monotonic()
    subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", default="/tmp/glintfetch-card-benchmark")
    parser.add_argument("--markdown", action="store_true")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    card, truth = make_card(args.work)
    fragmented = sum(1 for t in truth if t[3])
    deleted = sum(1 for t in truth if t[2])

    rows = []
    found_by = []
    for label, options in [("glintfetch (file system and carving, the default)", []),
                           ("glintfetch --carve-only (as before)", ["--carve-only"]),
                           ("glintfetch --carve-whole", ["--carve-whole"])]:
        out = os.path.join(args.work, "out-" + str(len(rows)))
        os.makedirs(out)
        seconds = timed([args.cli, "-q", "-o", out, "-k", "jpg"] + options + [card])
        found = outputs(out)
        found_by.append(set(found))
        rows.append((label, seconds) + score(truth, found))
    out = os.path.join(args.work, "tsk_recover")
    seconds = timed(["tsk_recover", "-e", card, out])
    rows.append(("tsk_recover -e", seconds) + score(truth, outputs(out)))
    if shutil.which("photorec"):
        out = os.path.join(args.work, "photorec")
        os.makedirs(out)
        seconds = timed(["photorec", "/log", "/d", out + "/recup", "/cmd", card,
                         "fileopt,everything,disable,jpg,enable,wholespace,search"], cwd=out)
        rows.append(("PhotoRec (jpg, whole space)", seconds) + score(truth, outputs(out)))

    lost = len(found_by[1] - found_by[0])
    print(f"finds of --carve-only that the default run does not have (any file, not only the 110): {lost}")
    print(f"card: 256 MiB FAT32, {CLUSTER_SECTORS * 512 // 1024} KiB clusters, {len(truth)} JPEG files "
          f"({fragmented} fragmented by deleting and refilling, {deleted} deleted)")
    if args.markdown:
        print("| recoverer | byte-exact | with original name | live | deleted | fragmented | deleted fragmented | time |")
        print("|---|---|---|---|---|---|---|---|")
    for label, seconds, exact, named, by_kind in rows:
        kinds = " | ".join(f"{by_kind[k][0]}/{by_kind[k][1]}" for k in ["live", "deleted", "fragmented", "deleted fragmented"])
        if args.markdown:
            print(f"| {label} | {exact}/{len(truth)} | {named}/{len(truth)} | {kinds} | {seconds:.2f} s |")
        else:
            print(f"{label}: {exact}/{len(truth)} byte-exact, {named} named; {kinds}; {seconds:.2f} s")


if __name__ == "__main__":
    sys.exit(main())
