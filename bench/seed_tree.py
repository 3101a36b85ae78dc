#!/usr/bin/env python3
"""Lays out the disk bench's tree from the Unix side, into a sandbox drive's folder.

    seed_tree.py <sandbox> <drive letter> <folders> <files per folder> <junk percent>

The same tree as the bench's own seeding (bench/disk_bench.cpp, Seed), which stays as the
fallback: writing half a million files through Wine costs minutes, from here seconds. The
hidden files get Wine's attribute store (the user.DOSATTRIB extended attribute), so that
Wine lists them as hidden.
"""
import os
import sys

JUNK_NAMES = ["%05d.tmp", "%05d.bak", "~%05d.doc", "%05d.gid",
              "%05d.old", "%05d.ex$", "%05d.dmp", "%05d.fts"]
HIDDEN = b"0x2"


def is_junk(f, percent):
    if percent <= 0:
        return f % 8 == 7
    return ((f + 1) * percent) // 100 != (f * percent) // 100


def touch(path, size):
    with open(path, "wb") as out:
        if size:
            out.truncate(size)


def seed(root, folders, per_folder, percent):
    marker = os.path.join(root, "done-%d-%d-%d" % (folders, per_folder, percent))
    if os.path.exists(marker):
        return
    os.makedirs(root, exist_ok=True)
    names = []
    for f in range(per_folder):
        if is_junk(f, percent):
            pattern = JUNK_NAMES[(f // 8) % 8 if percent <= 0 else f % 8]
            names.append((pattern % f, f * 37 % 4096))
        else:
            names.append(("file%05d.dat" % f, f * 37 % 4096))
    top = max(1, folders // 100)
    made = 0
    for t in range(top):
        if made >= folders:
            break
        level1 = os.path.join(root, "Group%d" % t)
        os.makedirs(level1, exist_ok=True)
        for s in range(folders // top):
            if made >= folders:
                break
            folder = os.path.join(level1, "Folder%d" % s)
            os.makedirs(folder, exist_ok=True)
            for name, size in names:
                touch(os.path.join(folder, name), size)
            if made % 10 == 0:
                hidden = os.path.join(folder, "hidden.tmp")
                touch(hidden, 1)
                os.setxattr(hidden, "user.DOSATTRIB", HIDDEN)
            made += 1
    touch(marker, 0)


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    sandbox, letter = sys.argv[1], sys.argv[2].rstrip(":").lower()
    drive = os.path.join(sandbox, "drives", letter)
    if len(letter) != 1 or not os.path.isdir(drive) or os.path.islink(drive):
        sys.exit("seed_tree.py: no drive folder %s in the sandbox" % drive)
    seed(os.path.join(drive, "keldra-bench-tree"), int(sys.argv[3]), int(sys.argv[4]),
         int(sys.argv[5]))


if __name__ == "__main__":
    main()
