#!/usr/bin/env python3
"""The main job on every skinned model of the assimp-testmodels package, as a
table: for each model file that maxsim-run loads and whose export carries
skin weights,

    maxsim-run load MODEL export first.qro
    qro check first.qro
    maxsim-run import first.qro export second.qro     (into an empty scene)

and the two files compared as the round-trip tests compare them: floats
within 0.0001, material blocks aside, normals and texture coordinates per
polygon corner, a bone's parent that is no bone of the file as none.

    scripts/scene_roundtrips.py [--all] [--bin DIR] [MODELS_DIR]

The "pose" column is the farthest any exported bone's bind position (its
inverse bind matrix, inverted) lies from where the loaded scene stands that
bone (maxsim-run load MODEL dump): 0 where the file's own pose is the bind
pose, as for most of the package; a mesh and bones bound in different
frames show here.

--all lists the models without weights as well. Programs come from build/bin
(scripts/test puts the last configuration built there), or from DIR with
--bin (a build of one's own, say build/loader/bin). Prints one row per
model (meshes, bones, vertices, weights, result) and the load, export and
import times of the largest one; exits 1 when a round trip fails.
"""

import json
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAXSIM_RUN = os.path.join(ROOT, "build", "bin", "maxsim-run")
QRO = os.path.join(ROOT, "build", "bin", "qro")
TIME_LIMIT = 300
# What Assimp reads; other files of the package (textures, notes) are passed over.
MODEL_EXTENSIONS = {
    ".3d", ".3ds", ".3mf", ".ac", ".amf", ".ase", ".b3d", ".blend", ".bvh", ".cob", ".csm", ".dae", ".dxf",
    ".fbx", ".glb", ".gltf", ".hmp", ".ifc", ".irr", ".irrmesh", ".lwo", ".lws", ".lxo", ".md2", ".md3",
    ".md5mesh", ".mdc", ".mdl", ".ms3d", ".ndo", ".nff", ".obj", ".off", ".ogex", ".ply", ".q3o", ".q3s",
    ".raw", ".sib", ".smd", ".stl", ".ter", ".x", ".x3d", ".xgl", ".zgl", ".zae", ".mesh", ".xml",
}


def run(arguments):
    started = time.perf_counter()
    try:
        result = subprocess.run(arguments, capture_output=True, text=True, errors="replace", timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return None, "timed out after %d s" % TIME_LIMIT, time.perf_counter() - started
    return result, (result.stderr.strip().splitlines() or [""])[-1], time.perf_counter() - started


def dump(path):
    result, _, _ = run([QRO, "dump", path])
    return json.loads(result.stdout) if result is not None and result.returncode == 0 else None


def comparable(data):
    """The dump with what an import cannot give back taken out."""
    bones = {b["name"] for b in data["bones"]}
    for b in data["bones"]:
        if b["parent"] not in bones:
            b["parent"] = ""
    for mesh in data["meshes"]:
        mesh.pop("materialNames", None)
        mesh.pop("polygonMaterialIndices", None)
        mesh["cornerNormals"] = [mesh["normals"][i] for i in mesh.pop("polygonNormalIndices")]
        del mesh["normals"]
        sets = mesh.pop("textureCoordinates")
        mesh["cornerTextureCoordinates"] = [[sets[s][i] for i in indices]
                                            for s, indices in enumerate(mesh.pop("polygonTexCoordIndices"))]
    return data


def within(a, b, relative):
    """Floats within 0.0001, or with `relative`, also as close as two floats
    of that size can be (a few units in the last place of a 32-bit float)."""
    return abs(a - b) <= 0.0001 or (relative and abs(a - b) <= 4e-7 * max(abs(a), abs(b)))


def first_difference(a, b, where="file", relative=False):
    if isinstance(a, (int, float)) and isinstance(b, (int, float)) and not isinstance(a, bool):
        return None if within(a, b, relative) else "%s: %r against %r" % (where, a, b)
    if isinstance(a, dict) and isinstance(b, dict):
        for key in sorted(set(a) | set(b)):
            if key not in a or key not in b:
                return "%s.%s: only in the %s" % (where, key, "first" if key in a else "second")
            found = first_difference(a[key], b[key], where + "." + key, relative)
            if found:
                return found
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return "%s: %d entries against %d" % (where, len(a), len(b))
        for i, (x, y) in enumerate(zip(a, b)):
            found = first_difference(x, y, "%s[%d]" % (where, i), relative)
            if found:
                return found
        return None
    return None if a == b else "%s: %r against %r" % (where, a, b)


def bind_position(matrix):
    """Where a bone stands in its bind pose: the translation of the inverse
    of its inverse bind matrix (row-vector form, the last row the translation)."""
    a = [matrix[row * 4:row * 4 + 3] for row in range(3)]
    t = matrix[12:15]
    det = (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))
    if det == 0:
        return None
    # inverse[i][j] = cofactor[j][i] / det; the position is -t * inverse.
    def cofactor(r, c):
        m = [[a[i][j] for j in range(3) if j != c] for i in range(3) if i != r]
        return (-1) ** (r + c) * (m[0][0] * m[1][1] - m[0][1] * m[1][0])
    return [-sum(t[k] * cofactor(j, k) / det for k in range(3)) for j in range(3)]


def pose_distance(model, exported, scratch):
    """The farthest an exported bone's bind position lies from where the
    loaded scene stands it; None where the scene cannot be dumped."""
    scene = os.path.join(scratch, "scene.json")
    result, _, _ = run([MAXSIM_RUN, "load", model, "dump", scene])
    if result is None or result.returncode != 0:
        return None
    with open(scene) as f:
        nodes = {n["name"]: n["nodeTM"][3] for n in json.load(f)["nodes"]}
    farthest = 0.0
    for bone in exported["bones"]:
        at = bind_position(bone["invBaseMatrix"])
        if at is None or bone["name"] not in nodes:
            continue
        farthest = max(farthest, sum((x - y) ** 2 for x, y in zip(at, nodes[bone["name"]])) ** 0.5)
    return farthest


def in_bone_order(data, order):
    """The dump with its bones in the given name order and the weights' bone
    indices following them."""
    names = [b["name"] for b in data["bones"]]
    position = {name: k for k, name in enumerate(order)}
    data["bones"] = sorted(data["bones"], key=lambda b: position.get(b["name"], len(order)))
    for mesh in data["meshes"]:
        for w in mesh["weights"]:
            if 0 <= w[0] < len(names):
                w[0] = position.get(names[w[0]], w[0])
    return data


def round_trip(model, scratch):
    first = os.path.join(scratch, "first.qro")
    second = os.path.join(scratch, "second.qro")
    for stale in (first, second):
        if os.path.exists(stale):
            os.remove(stale)
    row = {"model": model, "times": {}}
    result, reason, row["times"]["load+export"] = run([MAXSIM_RUN, "load", model, "export", first])
    if result is None or result.returncode != 0:
        row["result"] = "load refused: " + reason
        return row
    a = dump(first)
    if a is None:
        row["result"] = "export unreadable"
        return row
    row["meshes"] = len(a["meshes"])
    row["bones"] = len(a["bones"])
    row["vertices"] = sum(len(m["vertices"]) for m in a["meshes"])
    row["weights"] = sum(len(m["weights"]) for m in a["meshes"])
    row["bytes"] = os.path.getsize(first)
    row["pose"] = pose_distance(model, a, scratch)
    if row["weights"] > 0:
        _, _, row["times"]["load"] = run([MAXSIM_RUN, "load", model])
    result, reason, _ = run([QRO, "check", first])
    if result is None or result.returncode != 0:
        row["result"] = "qro check refuses the export: " + reason
        return row
    result, reason, row["times"]["import+export"] = run([MAXSIM_RUN, "import", first, "export", second])
    if result is None or result.returncode != 0:
        if result is not None and "'assure' failed: b" in result.stderr:
            reason = "a bone pose the exporter takes for singular ('assure' failed: b)"
        row["result"] = "import, then export fails: " + reason
        return row
    _, _, row["times"]["import"] = run([MAXSIM_RUN, "import", first])
    b = dump(second)
    if b is None:
        row["result"] = "second export unreadable"
        return row
    order = [bone["name"] for bone in a["bones"]]
    same_bones = sorted(order) == sorted(bone["name"] for bone in b["bones"])
    results = []
    for relative in (False, True):
        for reordered in (False, True):
            if reordered and not same_bones:
                continue
            second_form = in_bone_order(json.loads(json.dumps(b)), order) if reordered else json.loads(json.dumps(b))
            difference = first_difference(comparable(json.loads(json.dumps(a))), comparable(second_form),
                                          relative=relative)
            if difference is None:
                notes = (["bone order"] if reordered else []) + (["floats at float precision"] if relative else [])
                row["result"] = "same" + (" except " + " and ".join(notes) if notes else "")
                return row
            results.append(difference)
    row["result"] = "differs: " + results[0]
    return row


def main():
    global MAXSIM_RUN, QRO
    arguments = sys.argv[1:]
    every = "--all" in arguments
    arguments = [a for a in arguments if a != "--all"]
    if "--bin" in arguments:
        at = arguments.index("--bin")
        if at + 1 >= len(arguments):
            sys.exit("scene_roundtrips: --bin needs a folder")
        MAXSIM_RUN = os.path.join(arguments[at + 1], "maxsim-run")
        QRO = os.path.join(arguments[at + 1], "qro")
        del arguments[at:at + 2]
    models_dir = arguments[0] if arguments else "/usr/share/assimp/models"
    if not os.path.isdir(models_dir):
        sys.exit("scene_roundtrips: no models at %s (Debian: assimp-testmodels)" % models_dir)
    for program in (MAXSIM_RUN, QRO):
        if not os.access(program, os.X_OK):
            sys.exit("scene_roundtrips: %s is missing: build first (scripts/test release)" % program)
    models = sorted(os.path.join(folder, name) for folder, _, names in os.walk(models_dir) for name in names
                    if os.path.splitext(name)[1].lower() in MODEL_EXTENSIONS)
    rows = []
    with tempfile.TemporaryDirectory() as scratch:
        for model in models:
            row = round_trip(model, scratch)
            if every or row.get("weights", 0) > 0:
                rows.append(row)
    width = max([len(os.path.relpath(r["model"], models_dir)) for r in rows] + [5])
    print("%-*s %6s %5s %8s %8s %6s  %s" % (width, "model", "meshes", "bones", "vertices", "weights", "pose",
                                             "result"))
    for r in rows:
        pose = "%.3f" % r["pose"] if r.get("pose") is not None else "-"
        print("%-*s %6s %5s %8s %8s %6s  %s" % (width, os.path.relpath(r["model"], models_dir), r.get("meshes", "-"),
                                                 r.get("bones", "-"), r.get("vertices", "-"), r.get("weights", "-"),
                                                 pose, r["result"]))
    done = [r for r in rows if "bytes" in r]
    if done:
        largest = max(done, key=lambda r: r["vertices"])
        times = largest["times"]
        print("largest: %s (%d vertices, %d bytes of .qro): load %.2f s, load+export %.2f s, import %.2f s, "
              "import+export %.2f s (wall, one process each)" %
              (os.path.relpath(largest["model"], models_dir), largest["vertices"], largest["bytes"],
               times.get("load", 0), times.get("load+export", 0), times.get("import", 0),
               times.get("import+export", 0)))
    failed = [r for r in rows if not r["result"].startswith("same") and "bytes" in r]
    print("%d models, %d same, %d same with exceptions, %d other" %
          (len(rows), sum(r["result"] == "same" for r in rows),
           sum(r["result"].startswith("same except") for r in rows), len(rows) - sum(
               r["result"].startswith("same") for r in rows)))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
