#!/usr/bin/python3
"""Reproducible release archives.

    release_zip.py zip OUT.zip BASE NAME   writes BASE/NAME and everything under it into OUT.zip
    release_zip.py sums DIR FILE...        writes DIR/SHA256SUMS over DIR/FILE... (sha256sum -c reads it)

The same files give the same bytes, wherever and whenever they are packed: the entries
stand sorted by name (folders before their contents), every entry carries the time
SOURCE_DATE_EPOCH names (in UTC; the commit's time in the release), fixed attributes (folders
755, files 644, no extra fields, no comment), and the contents are deflated at level 9.
"""
import hashlib
import os
import sys
import time
import zipfile

DIR_ATTR = (0o40755 << 16) | 0x10   # Unix mode in the high word, MS-DOS directory bit low
FILE_ATTR = 0o100644 << 16
EARLIEST = 315532800                # 1980-01-01, the first time a zip entry can hold


def entry_time(epoch):
    """The DOS date and time of a zip entry for the Unix time epoch, in UTC."""
    return time.gmtime(max(int(epoch), EARLIEST))[:6]


def entry_names(base, name):
    """Every folder (with a trailing slash) and file under base/name, relative to base,
    in a fixed order: sorted by path, a folder right before its contents."""
    names = [name + "/"]
    for root, dirs, files in os.walk(os.path.join(base, name)):
        rel = os.path.relpath(root, base)
        for d in dirs:
            names.append(os.path.join(rel, d) + "/")
        for f in files:
            names.append(os.path.join(rel, f))
    # Sorting by components keeps "a/b/" before "a/b/c" and "a/b.txt" after "a/b/...".
    return sorted(names, key=lambda n: n.rstrip("/").split("/"))


def write_zip(out, base, name, epoch):
    stamp = entry_time(epoch)
    tmp = out + ".part"
    with zipfile.ZipFile(tmp, "w") as z:
        for n in entry_names(base, name):
            info = zipfile.ZipInfo(n, date_time=stamp)
            info.create_system = 3
            if n.endswith("/"):
                info.external_attr = DIR_ATTR
                z.writestr(info, b"")
            else:
                info.external_attr = FILE_ATTR
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(os.path.join(base, n), "rb") as f:
                    z.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, out)


def write_sums(directory, files):
    lines = []
    for f in sorted(files):
        with open(os.path.join(directory, f), "rb") as data:
            lines.append("%s  %s\n" % (hashlib.sha256(data.read()).hexdigest(), f))
    with open(os.path.join(directory, "SHA256SUMS"), "w", newline="\n") as out:
        out.writelines(lines)


def main(argv):
    if len(argv) == 5 and argv[1] == "zip":
        epoch = os.environ.get("SOURCE_DATE_EPOCH")
        if not epoch:
            print("release_zip.py: SOURCE_DATE_EPOCH is not set", file=sys.stderr)
            return 2
        write_zip(argv[2], argv[3], argv[4], epoch)
        return 0
    if len(argv) >= 4 and argv[1] == "sums":
        write_sums(argv[2], argv[3:])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
