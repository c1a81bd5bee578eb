#!/usr/bin/env python3
"""Makes the archive and deflate fixtures of the tests with real peers:
Info-ZIP zip, Python's zipfile and Python's zlib (raw deflate, wbits -15).

    make_fixtures.py OUTPUT_DIR

Everything is derived from fixed seeds, so two runs give the same inputs.
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile
import zlib


def qro_text(lines, seed):
    """Text shaped like a skinned-mesh file (keywords, names, floats), not a valid one."""
    rng = random.Random(seed)
    out = ["version 1\r\n", "bones\r\n{\r\n"]
    for i in range(lines):
        kind = i % 4
        if kind == 0:
            out.append('\tbone "Bone%03d" "Bone%03d"\r\n' % (i, max(0, i - 1)))
        elif kind == 1:
            out.append("\t\t%s\r\n" % " ".join("%.4f" % rng.uniform(-100, 100) for _ in range(4)))
        elif kind == 2:
            out.append("\t\tv %.4f %.4f %.4f\r\n" % tuple(rng.uniform(-10, 10) for _ in range(3)))
        else:
            out.append("\t\tf 3 %d %d %d\r\n" % tuple(rng.randrange(0, 5000) for _ in range(3)))
    out.append("}\r\n")
    return "".join(out).encode("ascii")


def raw_deflate(data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY, wbits=-15, mem_level=8, chunks=None):
    compressor = zlib.compressobj(level, zlib.DEFLATED, wbits, mem_level, strategy)
    if chunks is None:
        return compressor.compress(data) + compressor.flush()
    out = b""
    step = (len(data) + chunks - 1) // chunks
    for start in range(0, len(data), step):
        out += compressor.compress(data[start:start + step]) + compressor.flush(zlib.Z_FULL_FLUSH)
    return out + compressor.flush()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_deflate(out):
    rng = random.Random(1951)
    text = qro_text(6000, 7)
    noise = bytes(rng.randrange(256) for _ in range(70000))
    runs = b"a" * 100000 + b"ab" * 3000 + bytes(range(256)) * 40
    cases = {
        "text_default": raw_deflate(text),
        "text_fixed": raw_deflate(text, strategy=zlib.Z_FIXED),
        "text_huffman_only": raw_deflate(text, strategy=zlib.Z_HUFFMAN_ONLY),
        "text_rle": raw_deflate(text, strategy=zlib.Z_RLE),
        "text_level0_stored": raw_deflate(text, level=0),
        "text_level1": raw_deflate(text, level=1),
        "text_level9_small_window": raw_deflate(text, level=9, wbits=-9, mem_level=1),
        "text_full_flush_blocks": raw_deflate(text, chunks=7),
        "random_default": raw_deflate(noise),
        "random_level9": raw_deflate(noise, level=9),
        "runs_level9": raw_deflate(runs, level=9),
        "mixed_full_flush": raw_deflate(noise[:20000] + text[:60000] + runs, level=9, chunks=5),
        "empty": raw_deflate(b""),
    }
    plains = {
        "text": text, "random": noise, "runs": runs,
        "mixed": noise[:20000] + text[:60000] + runs, "empty": b"",
    }
    for name, compressed in cases.items():
        plain = plains[name.split("_")[0]]
        # The oracle itself must agree before a case is handed to the tests.
        assert zlib.decompress(compressed, -15) == plain, name
        write(os.path.join(out, "deflate", name + ".deflate"), compressed)
        write(os.path.join(out, "deflate", name + ".plain"), plain)


def make_archives(out):
    rng = random.Random(61)
    tree = os.path.join(out, "tree")
    shutil.rmtree(tree, ignore_errors=True)
    members = {
        "models/qro-like.txt": qro_text(3000, 11),
        "models/deep/b.bin": bytes(rng.randrange(256) for _ in range(20000)),
        "empty.txt": b"",
        "Readme.txt": b"upper-case R\r\n",
        "readme.txt": b"lower-case r\r\n",
    }
    for name, data in members.items():
        write(os.path.join(tree, name), data)
    for name, data in members.items():
        write(os.path.join(out, "expected", name), data)

    archives = os.path.join(out, "zip")
    os.makedirs(archives, exist_ok=True)
    for level in ("0", "1", "9"):
        target = os.path.join(archives, "infozip-%s.zip" % level)
        if os.path.exists(target):
            os.remove(target)
        subprocess.run(["zip", "-q", "-X", "-r", "-" + level, target] + sorted(members), cwd=tree, check=True)

    for label, method in (("stored", zipfile.ZIP_STORED), ("deflated", zipfile.ZIP_DEFLATED),
                          ("bzip2", zipfile.ZIP_BZIP2)):
        with zipfile.ZipFile(os.path.join(archives, "python-%s.zip" % label), "w", method) as z:
            for name, data in members.items():
                z.writestr(name, data)

    # A zip stored inside a zip, and one deflated inside a deflated one.
    inner_path = os.path.join(archives, "infozip-9.zip")
    with open(inner_path, "rb") as f:
        inner = f.read()
    with zipfile.ZipFile(os.path.join(archives, "nested.zip"), "w", zipfile.ZIP_STORED) as z:
        z.writestr("inner/models.zip", inner)
        z.writestr("note.txt", b"outer note\r\n")
    with zipfile.ZipFile(os.path.join(archives, "nested-deflated.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("inner.zip", inner)

    write(os.path.join(archives, "not-a-zip.zip"), b"This is plain text, not an archive.\r\n" * 20)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    make_deflate(out)
    make_archives(out)
    write(os.path.join(out, "stamp"), b"done\n")


if __name__ == "__main__":
    main()
