#!/usr/bin/python3
"""Builds the real-data corpus: the system's own files back to back, as a disk holds them.

The regular files under /usr/bin, /usr/lib and /usr/share that belong to the Debian packages
scripts/setup.sh installs (and what they depend on, and the packages every Debian system has) are
written one after the other into one file, up to a chosen size, with a manifest beside it that
says where each lies. Files of other packages, and files no package owns (caches, our own build
output, anything left on this machine by hand), stay out, so that a fresh Debian 12 machine set up
by scripts/setup.sh builds much the same corpus as this one; the tests that read it must still
allow for other versions of the same packages.

The order is fixed by the paths alone: "mixed" (the default) sorts them by a hash of the path, so
that any slice holds some of everything (programs, libraries, manuals, icons, sounds, archives);
"sorted" takes the paths in byte order. A corpus whose manifest shows the same selection is left
as it stands, so a test may call this on every run.

Usage: realdata-corpus.py --size 256M OUTPUT            (writes OUTPUT and OUTPUT.manifest)
       realdata-corpus.py --size 4G --packages installed --largest-file 64M OUTPUT
"""

import argparse
import hashlib
import os
import re
import stat
import subprocess
import sys

ROOTS = ("/usr/bin", "/usr/lib", "/usr/share")
DPKG_INFO = "/var/lib/dpkg/info"
FORMAT_VERSION = 1


def parse_size(text):
    match = re.fullmatch(r"(\d+)([KMG]?)(i?B)?", text.strip(), re.IGNORECASE)
    if not match:
        raise argparse.ArgumentTypeError(f"not a size: {text}")
    scale = {"": 1, "K": 1 << 10, "M": 1 << 20, "G": 1 << 30}[match.group(2).upper()]
    return int(match.group(1)) * scale


def setup_packages(setup_script):
    """The package names in the packages=( ... ) list of scripts/setup.sh."""
    with open(setup_script, encoding="utf-8") as script:
        text = script.read()
    block = re.search(r"^packages=\((.*?)^\)", text, re.MULTILINE | re.DOTALL)
    if not block:
        sys.exit(f"{setup_script}: no packages=( ... ) list")
    names = []
    for line in block.group(1).splitlines():
        names.extend(line.split("#", 1)[0].split())
    return names


def installed_packages():
    """Installed package names (without the architecture) with priority and essential flag."""
    output = subprocess.run(
        ["dpkg-query", "-W", "-f", "${Package}\t${Status}\t${Priority}\t${Essential}\n"],
        check=True, capture_output=True, text=True).stdout
    packages = {}
    for line in output.splitlines():
        name, status, priority, essential = (line.split("\t") + ["", "", ""])[:4]
        if status.endswith(" installed"):
            packages[name] = (priority, essential == "yes")
    return packages


def package_closure(roots, installed):
    """The installed packages that roots depend on (Depends and Pre-Depends), roots included,
    and every package that a Debian system has whatever is installed on it."""
    output = subprocess.run(
        ["apt-cache", "depends", "--recurse", "--installed", "--no-recommends", "--no-suggests",
         "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances"] + roots,
        check=True, capture_output=True, text=True).stdout
    chosen = {line.strip().split(":")[0] for line in output.splitlines()
              if line and not line.startswith(" ")}
    chosen |= {name for name, (priority, essential) in installed.items()
               if priority == "required" or essential}
    return {name for name in chosen if name in installed}


def owned_files(packages):
    """The paths that the chosen packages' file lists name."""
    paths = set()
    for entry in os.listdir(DPKG_INFO):
        if not entry.endswith(".list"):
            continue
        if entry[:-len(".list")].split(":")[0] not in packages:
            continue
        with open(os.path.join(DPKG_INFO, entry), encoding="utf-8", errors="surrogateescape") as listing:
            for line in listing:
                path = line.rstrip("\n")
                if path.startswith(ROOTS) and any(path.startswith(root + "/") for root in ROOTS):
                    paths.add(path)
    return paths


def select_files(paths, largest, exclude):
    """(path, size) of each regular file, in no order yet; symbolic links, empty files, files
    over largest and paths below an excluded folder are left out."""
    selected = []
    for path in paths:
        if any(path == folder or path.startswith(folder + "/") for folder in exclude):
            continue
        try:
            info = os.lstat(path)
        except OSError:
            continue
        if stat.S_ISREG(info.st_mode) and 0 < info.st_size <= largest:
            selected.append((path, info.st_size))
    return selected


def order(selected, how):
    if how == "sorted":
        return sorted(selected, key=lambda item: item[0].encode("utf-8", "surrogateescape"))
    return sorted(selected, key=lambda item: (hashlib.sha256(item[0].encode("utf-8", "surrogateescape")).digest(),
                                              item[0]))


def plan(files, size):
    """The files that go into a corpus of at most size bytes, in order: a file that no longer
    fits is passed over for the smaller ones after it."""
    chosen = []
    total = 0
    for path, length in files:
        if total + length <= size:
            chosen.append((total, length, path))
            total += length
    return chosen, total


def digest(chosen):
    hasher = hashlib.sha256()
    for offset, length, path in chosen:
        hasher.update(f"{offset}\t{length}\t{path}\n".encode("utf-8", "surrogateescape"))
    return hasher.hexdigest()


def read_header(manifest):
    header = {}
    try:
        with open(manifest, encoding="utf-8", errors="surrogateescape") as lines:
            for line in lines:
                if not line.startswith("# "):
                    break
                key, separator, value = line[2:].rstrip("\n").partition(": ")
                if separator:
                    header[key] = value
    except OSError:
        pass
    return header


def write_corpus(output, manifest, chosen, total, header):
    partial = output + ".partial"
    written = 0
    with open(partial, "wb") as corpus, open(manifest + ".partial", "w", encoding="utf-8",
                                             errors="surrogateescape") as listing:
        for key, value in header.items():
            listing.write(f"# {key}: {value}\n")
        listing.write("# offset\tsize\tpath\n")
        for offset, length, path in chosen:
            with open(path, "rb") as source:
                data = source.read(length)
            # A file that changed since it was listed keeps its place and size: the manifest
            # stays true whatever the file holds now.
            data = data[:length].ljust(length, b"\0")
            corpus.write(data)
            listing.write(f"{offset}\t{length}\t{path}\n")
            written += length
    assert written == total
    os.replace(manifest + ".partial", manifest)
    os.replace(partial, output)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("output", help="the corpus file; its manifest is OUTPUT.manifest")
    parser.add_argument("--size", type=parse_size, required=True, help="largest corpus size (256M, 2G, ...)")
    parser.add_argument("--order", choices=("mixed", "sorted"), default="mixed")
    parser.add_argument("--largest-file", type=parse_size, default=parse_size("32M"),
                        help="files larger than this stay out (default 32M)")
    parser.add_argument("--packages", choices=("setup", "installed"), default="setup",
                        help="setup: the packages of scripts/setup.sh and what they need (about 1.6 GiB on "
                             "Debian 12); installed: every package installed here, for corpora larger than that")
    parser.add_argument("--exclude", action="append", default=[], help="a folder to leave out (repeatable)")
    parser.add_argument("--setup", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "setup.sh"),
                        help="the setup script whose packages the corpus is made of")
    parser.add_argument("--force", action="store_true", help="write the corpus even when it is up to date")
    arguments = parser.parse_args()

    installed = installed_packages()
    if arguments.packages == "installed":
        packages = set(installed)
    else:
        packages = package_closure(setup_packages(arguments.setup), installed)
    files = select_files(owned_files(packages), arguments.largest_file, arguments.exclude)
    chosen, total = plan(order(files, arguments.order), arguments.size)

    output = os.path.abspath(arguments.output)
    manifest = output + ".manifest"
    header = {
        "glintfetch real-data corpus": str(FORMAT_VERSION),
        "order": arguments.order,
        "packages chosen": arguments.packages,
        "size": str(total),
        "files": str(len(chosen)),
        "packages": str(len(packages)),
        "selection": digest(chosen),
    }
    if (not arguments.force and read_header(manifest) == header and os.path.isfile(output)
            and os.path.getsize(output) == total):
        print(f"{output}: up to date ({total} bytes, {len(chosen)} files)")
        return
    os.makedirs(os.path.dirname(output), exist_ok=True)
    write_corpus(output, manifest, chosen, total, header)
    print(f"{output}: {total} bytes, {len(chosen)} files of {len(packages)} packages")


if __name__ == "__main__":
    main()
