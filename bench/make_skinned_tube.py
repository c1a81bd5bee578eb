#!/usr/bin/env python3
"""Writes one skinned mesh for the benchmarks, as .qro and optionally as COLLADA 1.4.1.

    bench/make_skinned_tube.py VERTICES OUT.qro [OUT.dae]

The mesh is a tube bent through a quarter circle on a chain of bones: rings of
quads along its length, closed at both ends by fans of triangles (and every
ninth quad split in two, so that triangles also stand among the quads), one
normal per vertex, two texture-coordinate sets of different sizes (an unwrap
with a seam and a planar projection), one material, and up to four bone weights
per vertex. Both files hold the same values; the last line printed says what a
raw COLLADA import must find (corners, faces, bones).
"""

import math
import sys

SEGMENTS = 48
BONES = 16
RADIUS = 0.5
LENGTH = 20.0
MATERIAL = "TubeSkin"


def f4(value):
    return "%.4f" % value


class Tube:
    def __init__(self, wanted):
        self.rings = max(2, round((wanted - 2) / SEGMENTS))
        rings = self.rings
        bend = LENGTH / (math.pi / 2)  # radius of the arc the tube follows

        def frame(t):
            a = t * math.pi / 2
            centre = (bend * (1 - math.cos(a)), 0.0, bend * math.sin(a))
            tangent = (math.sin(a), 0.0, math.cos(a))
            side = (math.cos(a), 0.0, -math.sin(a))
            return centre, tangent, side

        self.positions = []
        self.normals = []
        self.uv0 = []  # unwrap: SEGMENTS + 1 per ring (the seam is doubled), then the two cap centres
        self.uv1 = []  # planar projection: one per vertex
        self.ring_t = []
        for ring in range(rings):
            t = ring / (rings - 1)
            centre, _, side = frame(t)
            for segment in range(SEGMENTS):
                angle = 2 * math.pi * segment / SEGMENTS
                c, s = math.cos(angle), math.sin(angle)
                normal = (c * side[0], s, c * side[2])
                self.positions.append(tuple(centre[i] + RADIUS * normal[i] for i in range(3)))
                self.normals.append(normal)
                self.ring_t.append(t)
            for segment in range(SEGMENTS + 1):
                self.uv0.append((segment / SEGMENTS, t))
        for t in (0.0, 1.0):
            centre, tangent, _ = frame(t)
            self.positions.append(centre)
            self.normals.append(tuple(-x for x in tangent) if t == 0.0 else tangent)
            self.ring_t.append(t)
            self.uv0.append((0.5, t))
        extent = bend + RADIUS
        for p in self.positions:
            self.uv1.append((p[0] / extent, p[2] / extent))

        # Polygons as (vertex, uv0) corner lists; normals and uv1 follow the vertex.
        self.polygons = []
        start_cap = rings * SEGMENTS
        end_cap = start_cap + 1
        uv_cap = rings * (SEGMENTS + 1)

        def corner(ring, segment):
            return (ring * SEGMENTS + segment % SEGMENTS, ring * (SEGMENTS + 1) + segment)

        for segment in range(SEGMENTS):
            a, b = corner(0, segment + 1), corner(0, segment)
            self.polygons.append([(start_cap, uv_cap), a, b])
        for ring in range(rings - 1):
            for segment in range(SEGMENTS):
                quad = [corner(ring, segment), corner(ring, segment + 1), corner(ring + 1, segment + 1),
                        corner(ring + 1, segment)]
                if (ring + segment) % 9 == 0:
                    self.polygons.append(quad[:3])
                    self.polygons.append([quad[0], quad[2], quad[3]])
                else:
                    self.polygons.append(quad)
        for segment in range(SEGMENTS):
            a, b = corner(rings - 1, segment), corner(rings - 1, segment + 1)
            self.polygons.append([(end_cap, uv_cap + 1), a, b])

        # Bones: a chain along the tube, each at the start of its share; no
        # rotation, so a bone's inverse bind matrix only moves it back.
        self.bone_positions = [frame(b / BONES)[0] for b in range(BONES)]
        self.weights = []
        for t in self.ring_t:
            found = []
            for b in range(BONES):
                w = 1.0 - abs(t - (b + 0.5) / BONES) * BONES / 2.0
                if w > 0.02:
                    found.append((w, b))
            found.sort(reverse=True)
            found = found[:4]
            total = sum(w for w, _ in found)
            self.weights.append([(b, w / total) for w, b in sorted(found, key=lambda x: x[1])])

    def corners(self):
        return sum(len(p) for p in self.polygons)


def write_qro(tube, path):
    out = ["version 1\r\n", "\r\nnumBones %d" % BONES]
    for b, p in enumerate(tube.bone_positions):
        out.append("\r\nbone %d {" % b)
        out.append("\r\n\tname \"Bone%d\"" % b)
        out.append("\r\n\tparent \"%s\"" % ("" if b == 0 else "Bone%d" % (b - 1)))
        m = [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -p[0], -p[1], -p[2], 1]
        out.append("\r\n\tinvBaseMatrix " + " ".join(f4(x) for x in m))
        out.append("\r\n}\r\n")
    out.append("\r\nnumMeshes 1")
    out.append("\r\nmesh 0 {")
    out.append("\r\n\tname \"Tube\"")
    out.append("\r\n\r\n\tvertices {")
    out.extend("\r\n\t\t%.4f %.4f %.4f" % p for p in tube.positions)
    out.append("\r\n\t}\r\n\r\n\tnormals {")
    out.extend("\r\n\t\t%.4f %.4f %.4f" % n for n in tube.normals)
    out.append("\r\n\t}\r\n\r\n\ttextureCoordinates {")
    for s, uvs in enumerate((tube.uv0, tube.uv1)):
        if s:
            out.append("\r\n")
        out.append("\r\n\t\tset %d {" % s)
        out.extend("\r\n\t\t\t%.4f %.4f" % uv for uv in uvs)
        out.append("\r\n\t\t}")
    out.append("\r\n\t}\r\n\r\n\tmaterialNames {")
    out.append("\r\n\t\t \"%s\"" % MATERIAL)
    out.append("\r\n\t}\r\n\r\n\tpolygonVertexCounts {")
    out.extend("\r\n\t\t%d" % len(p) for p in tube.polygons)
    out.append("\r\n\t}\r\n\r\n\tpolygonVertexIndices {")
    vertex_lines = ["\r\n\t\t" + " ".join(str(v) for v, _ in p) for p in tube.polygons]
    out.extend(vertex_lines)
    out.append("\r\n\t}\r\n\r\n\tpolygonNormalIndices {")
    out.extend(vertex_lines)
    out.append("\r\n\t}\r\n\r\n\tpolygonTexCoordIndices {")
    out.append("\r\n\t\tset 0 {")
    out.extend("\r\n\t\t\t" + " ".join(str(u) for _, u in p) for p in tube.polygons)
    out.append("\r\n\t\t}\r\n")
    out.append("\r\n\t\tset 1 {")
    out.extend("\r\n\t\t\t" + line[4:] for line in vertex_lines)
    out.append("\r\n\t\t}")
    out.append("\r\n\t}\r\n\r\n\tpolygonMaterialIndices {")
    out.extend("\r\n\t\t0" for _ in tube.polygons)
    out.append("\r\n\t}\r\n\r\n\tvertexWeightCounts {")
    out.extend("\r\n\t\t%d" % len(w) for w in tube.weights)
    out.append("\r\n\t}\r\n\r\n\tweights {")
    out.extend("\r\n\t\t%d %.4f" % bw for w in tube.weights for bw in w)
    out.append("\r\n\t}\r\n}\r\n")
    with open(path, "w", encoding="ascii", newline="") as file:
        file.write("".join(out))


def write_dae(tube, path):
    def floats(values):
        return " ".join(f4(x) for x in values)

    def source(ident, values, stride, params, kind="float"):
        count = len(values)
        array = "Name_array" if kind == "name" else "float_array"
        text = " ".join(values) if kind == "name" else floats(values)
        fields = "".join('<param name="%s" type="%s"/>' % (p, t) for p, t in params)
        return ('<source id="%s"><%s id="%s-array" count="%d">%s</%s>'
                '<technique_common><accessor source="#%s-array" count="%d" stride="%d">%s</accessor>'
                '</technique_common></source>\n' % (ident, array, ident, count, text, array, ident,
                                                    count // stride, stride, fields))

    flat = lambda rows: [x for row in rows for x in row]
    xyz = [("X", "float"), ("Y", "float"), ("Z", "float")]
    st = [("S", "float"), ("T", "float")]
    out = ['<?xml version="1.0" encoding="utf-8"?>\n'
           '<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">\n'
           '<asset><contributor><authoring_tool>make_skinned_tube.py</authoring_tool></contributor>'
           '<created>2026-01-01T00:00:00Z</created><modified>2026-01-01T00:00:00Z</modified>'
           '<unit name="meter" meter="1"/><up_axis>Z_UP</up_axis></asset>\n']
    out.append('<library_effects><effect id="%s-effect"><profile_COMMON><technique sid="common"><lambert>'
               '<diffuse><color>0.8 0.6 0.5 1</color></diffuse></lambert></technique></profile_COMMON>'
               '</effect></library_effects>\n' % MATERIAL)
    out.append('<library_materials><material id="%s-material" name="%s"><instance_effect url="#%s-effect"/>'
               '</material></library_materials>\n' % (MATERIAL, MATERIAL, MATERIAL))
    out.append('<library_geometries><geometry id="Tube-mesh" name="Tube"><mesh>\n')
    out.append(source("Tube-positions", flat(tube.positions), 3, xyz))
    out.append(source("Tube-normals", flat(tube.normals), 3, xyz))
    out.append(source("Tube-uv0", flat(tube.uv0), 2, st))
    out.append(source("Tube-uv1", flat(tube.uv1), 2, st))
    out.append('<vertices id="Tube-vertices"><input semantic="POSITION" source="#Tube-positions"/></vertices>\n')
    out.append('<polylist material="%s" count="%d">'
               '<input semantic="VERTEX" source="#Tube-vertices" offset="0"/>'
               '<input semantic="NORMAL" source="#Tube-normals" offset="1"/>'
               '<input semantic="TEXCOORD" source="#Tube-uv0" offset="2" set="0"/>'
               '<input semantic="TEXCOORD" source="#Tube-uv1" offset="3" set="1"/>\n' % (MATERIAL,
                                                                                          len(tube.polygons)))
    out.append("<vcount>" + " ".join(str(len(p)) for p in tube.polygons) + "</vcount>\n<p>")
    out.append(" ".join("%d %d %d %d" % (v, v, u, v) for p in tube.polygons for v, u in p))
    out.append("</p></polylist>\n</mesh></geometry></library_geometries>\n")

    names = ["Bone%d" % b for b in range(BONES)]
    bind = []
    for p in tube.bone_positions:
        # Column vectors, rows written one after the other: the translation is the last column.
        bind += [1, 0, 0, -p[0], 0, 1, 0, -p[1], 0, 0, 1, -p[2], 0, 0, 0, 1]
    weight_values = [w for ws in tube.weights for _, w in ws]
    out.append('<library_controllers><controller id="Tube-skin" name="TubeSkin"><skin source="#Tube-mesh">'
               '<bind_shape_matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</bind_shape_matrix>\n')
    out.append(source("Tube-skin-joints", names, 1, [("JOINT", "name")], kind="name"))
    out.append(source("Tube-skin-bind-poses", bind, 16, [("TRANSFORM", "float4x4")]))
    out.append(source("Tube-skin-weights", weight_values, 1, [("WEIGHT", "float")]))
    out.append('<joints><input semantic="JOINT" source="#Tube-skin-joints"/>'
               '<input semantic="INV_BIND_MATRIX" source="#Tube-skin-bind-poses"/></joints>\n')
    out.append('<vertex_weights count="%d"><input semantic="JOINT" source="#Tube-skin-joints" offset="0"/>'
               '<input semantic="WEIGHT" source="#Tube-skin-weights" offset="1"/>\n' % len(tube.weights))
    out.append("<vcount>" + " ".join(str(len(w)) for w in tube.weights) + "</vcount>\n<v>")
    pairs = []
    index = 0
    for ws in tube.weights:
        for b, _ in ws:
            pairs.append("%d %d" % (b, index))
            index += 1
    out.append(" ".join(pairs))
    out.append("</v></vertex_weights></skin></controller></library_controllers>\n")

    out.append('<library_visual_scenes><visual_scene id="Scene" name="Scene">\n')
    previous = (0.0, 0.0, 0.0)
    for b, p in enumerate(tube.bone_positions):
        local = [p[i] - previous[i] for i in range(3)]
        out.append('<node id="%s" name="%s" sid="%s" type="JOINT"><matrix sid="transform">%s</matrix>\n'
                   % (names[b], names[b], names[b],
                      floats([1, 0, 0, local[0], 0, 1, 0, local[1], 0, 0, 1, local[2], 0, 0, 0, 1])))
        previous = p
    out.append("</node>" * BONES + "\n")
    out.append('<node id="Tube" name="Tube" type="NODE"><instance_controller url="#Tube-skin">'
               '<skeleton>#Bone0</skeleton><bind_material><technique_common>'
               '<instance_material symbol="%s" target="#%s-material"/></technique_common></bind_material>'
               '</instance_controller></node>\n' % (MATERIAL, MATERIAL))
    out.append('</visual_scene></library_visual_scenes>\n'
               '<scene><instance_visual_scene url="#Scene"/></scene>\n</COLLADA>\n')
    with open(path, "w", encoding="ascii") as file:
        file.write("".join(out))


def main(argv):
    if len(argv) not in (3, 4) or not argv[1].isdigit() or int(argv[1]) < 2 * SEGMENTS + 2:
        sys.stderr.write("usage: make_skinned_tube.py VERTICES OUT.qro [OUT.dae]  (VERTICES at least %d)\n"
                         % (2 * SEGMENTS + 2))
        return 2
    tube = Tube(int(argv[1]))
    write_qro(tube, argv[2])
    if len(argv) == 4:
        write_dae(tube, argv[3])
    print("vertices %d corners %d faces %d bones %d weights %d" %
          (len(tube.positions), tube.corners(), len(tube.polygons), BONES,
           sum(len(w) for w in tube.weights)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
