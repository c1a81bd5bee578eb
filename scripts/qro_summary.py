#!/usr/bin/env python3
"""Summary of an export and of its re-export after an import: what the file
holds, and whether the second export gives the same bones, meshes, normals,
texture sets, polygons and weights as the first (floats within 0.0001, order
kept; normals and texture coordinates compared at each polygon corner, since
the host may number a built mesh's pools in another order). Material blocks are left out: the importer does not create materials.
A bone's parent that is no bone of the file counts as none: the importer can
place a bone under bones only (a model's skeleton often hangs below a node
that is no bone).

usage: qro_summary.py FIRST.qro SECOND.qro
"""
import json
import os
import subprocess
import sys

QRO = os.environ.get("QRO") or os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "bin", "qro")
TOLERANCE = 0.0001
NOT_IMPORTED = ("materialNames", "polygonMaterialIndices")


def dump(path):
    result = subprocess.run([QRO, "dump", path], capture_output=True, text=True, check=True)
    return json.loads(result.stdout)


def per_corner(dump):
    """The dump with normals and texture coordinates given per polygon corner:
    a host may number the pools of a mesh it built in another order; bone
    parents that name no bone of the file left out."""
    names = {bone["name"] for bone in dump.get("bones", [])}
    for bone in dump.get("bones", []):
        if bone.get("parent") not in names:
            bone["parent"] = ""
    for mesh in dump.get("meshes", []):
        normals = mesh.pop("normals", [])
        indices = mesh.pop("polygonNormalIndices", [])
        mesh["cornerNormals"] = [normals[i] if 0 <= i < len(normals) else None for i in indices]
        sets = mesh.pop("textureCoordinates", [])
        index_sets = mesh.pop("polygonTexCoordIndices", [])
        mesh["cornerTextureCoordinates"] = [
            [coords[i] if 0 <= i < len(coords) else None for i in index_set]
            for coords, index_set in zip(sets, index_sets)]
        mesh["textureCoordinateSets"] = len(sets)
    return dump


def differences(a, b, where="file"):
    """The places where two dumps differ, beyond the tolerance for numbers."""
    if isinstance(a, dict) and isinstance(b, dict):
        found = []
        for key in sorted(set(a) | set(b)):
            if key in NOT_IMPORTED:
                continue
            if key not in a or key not in b:
                found.append(f"{where}.{key}: only in one file")
            else:
                found += differences(a[key], b[key], f"{where}.{key}")
        return found
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return [f"{where}: {len(a)} entries against {len(b)}"]
        found = []
        for i, (x, y) in enumerate(zip(a, b)):
            found += differences(x, y, f"{where}[{i}]")
        return found
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return [] if abs(a - b) <= TOLERANCE else [f"{where}: {a} against {b}"]
    return [] if a == b else [f"{where}: {a!r} against {b!r}"]


def main():
    first, second = sys.argv[1], sys.argv[2]
    a, b = dump(first), dump(second)
    meshes = a.get("meshes", [])
    vertices = sum(len(m.get("vertices", [])) for m in meshes)
    weights = sum(len(m.get("weights", [])) for m in meshes)
    print(f"exported {first}: {len(a.get('bones', []))} bones, {len(meshes)} meshes, "
          f"{vertices} vertices, {weights} weights")
    found = differences(per_corner(a), per_corner(b))
    if found:
        print(f"re-exported {second}: DIFFERS from the first export in {len(found)} places:")
        for line in found[:20]:
            print("  " + line)
        return 1
    print(f"re-exported {second} after an import into a fresh scene: the same as the first export "
          f"(floats within {TOLERANCE}, normals and texture coordinates per polygon corner; "
          f"material blocks aside)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
