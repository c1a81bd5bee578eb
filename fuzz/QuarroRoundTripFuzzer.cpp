// The bytes as a .qro file, imported into an empty scene of the stand-in host
// and exported again: what the reader made of the bytes must come back from
// the export, within the format's four decimals and apart from what the
// import run's own rules change (meshes it skips, bones of one name, parents
// it cannot find, texture sets beyond the host's channels). Any other
// difference, an import or export that fails where it need not, and any host
// rule broken on the way are findings.

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BoneData.h"
#include "FuzzSupport.h"
#include "HostInterface.h"
#include "HostRules.h"
#include "MeshData.h"
#include "QuarroExporter.h"
#include "QuarroImporter.h"
#include "QuarroTextReader.h"
#include "merrow/HException.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UCommandLine.h"

using merrow::platform_3dsmax::HStatus;
using orlo::TMatrix4;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;

namespace {

// Inputs that would make one run slow are passed over before the import: the
// host builds every mesh through its full pipeline (caches, change notices,
// a skin evaluation per vertex) and the export reads each mesh's skin once
// per bone, so the work grows with bones × meshes and with corners × sets.
// These bounds keep a run in milliseconds under the sanitizers and still
// cover several bones, meshes and sets per input.
constexpr int32_t MAX_BONES = 64;
constexpr int32_t MAX_MESHES = 32;
constexpr uint64_t MAX_ELEMENTS = 20000; // vertices, normals, coordinates, corners, weights in all
constexpr uint64_t MAX_SET_WORK = 4000;  // texture sets × (corners + 1), summed over the meshes

// Live texture sets the host can give a mesh: channels 1 to 98 (it adds none
// beyond 99 channels), so later sets of a file are not placed.
constexpr int32_t HOST_SET_LIMIT = 98;

// ---- what went wrong, printed before the abort -------------------------------

[[noreturn]] void Finding(const std::string& what) {
    fprintf(stderr, "round trip: %s\n", what.c_str());
    abort();
}

std::string Name(const orlo::UString& name) {
    // The host keeps node names as C strings: a name ends at its first zero byte.
    return std::string(name.c_str());
}

std::string Text(float value) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%.9g", double(value));
    return buffer;
}

std::string Text(const TVector3<float>& v) {
    return "(" + Text(v.x) + ", " + Text(v.y) + ", " + Text(v.z) + ")";
}

std::string Text(const TVector2<float>& v) {
    return "(" + Text(v.x) + ", " + Text(v.y) + ")";
}

std::string Text(const TMatrix4<float>& m) {
    std::string out;
    for (int r = 0; r < 4; ++r) {
        out += r == 0 ? "[" : " ";
        for (int c = 0; c < 4; ++c)
            out += (c == 0 ? "" : " ") + Text(m.m[r][c]);
        out += r == 3 ? "]" : ";";
    }
    return out;
}

// ---- float comparison --------------------------------------------------------

// Each pass through the text rounds to four decimals (half a unit of the
// last decimal), and reading the text back rounds to the nearest float.
constexpr double TEXT_TOLERANCE = 1.0001e-4;

bool Near(double expected, double actual, double tolerance) {
    if (std::isnan(expected) || std::isnan(actual))
        return std::isnan(expected) && std::isnan(actual);
    if (std::isinf(expected) || std::isinf(actual))
        return expected == actual;
    return std::fabs(expected - actual) <= tolerance;
}

double ValueTolerance(double value) {
    return TEXT_TOLERANCE + 4.0 * FLT_EPSILON * std::fabs(value);
}

// Positions and normals reach the file through the node's world transform,
// whose every row meets every component: one infinite or NaN component makes
// all three NaN (inf × 0), even through the identity. Such a vector has
// nothing left to compare.
bool IsFinite(const TVector3<float>& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool NearPoint(const TVector3<float>& a, const TVector3<float>& b) {
    if (!IsFinite(a))
        return true;
    return Near(a.x, b.x, ValueTolerance(a.x)) && Near(a.y, b.y, ValueTolerance(a.y)) &&
           Near(a.z, b.z, ValueTolerance(a.z));
}

// The export gives a normal's direction through the object transform and
// keeps its length: a few float roundings relative to the length.
bool NearNormal(const TVector3<float>& a, const TVector3<float>& b) {
    if (!IsFinite(a))
        return true;
    const double length = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
    const double tolerance = TEXT_TOLERANCE + 16.0 * FLT_EPSILON * length;
    return Near(a.x, b.x, tolerance) && Near(a.y, b.y, tolerance) && Near(a.z, b.z, tolerance);
}

bool NearCoordinate(const TVector2<float>& a, const TVector2<float>& b) {
    return Near(a.x, b.x, ValueTolerance(a.x)) && Near(a.y, b.y, ValueTolerance(a.y));
}

// ---- the bones the import makes ---------------------------------------------

// One node per bone name: which bone of the file gave it its pose, and the
// name of the node it hangs below (empty at the top of the scene).
struct ExpectedBone {
    int32_t source = -1;
    std::string parent;
};

// The importer's walk, by names: a bone's ancestors first, the walk ending at
// a parent that has a node, names no bone (the last bone of a name stands for
// it), or is already on the way; a name that has a node is not built again.
std::map<std::string, ExpectedBone> ExpectBones(const UArray<BoneData>& bones) {
    std::map<std::string, int32_t> lastOfName;
    for (int32_t i = 0; i < bones.Num(); ++i)
        lastOfName[Name(bones[i].name)] = i;
    std::map<std::string, ExpectedBone> nodes;
    std::vector<bool> inChain(size_t(bones.Num()), false);
    for (int32_t bone = 0; bone < bones.Num(); ++bone) {
        if (nodes.count(Name(bones[bone].name)) != 0)
            continue;
        std::vector<int32_t> chain{bone};
        inChain[size_t(bone)] = true;
        for (;;) {
            const std::string parent = Name(bones[chain.back()].parent);
            if (parent.empty() || nodes.count(parent) != 0)
                break;
            const auto found = lastOfName.find(parent);
            if (found == lastOfName.end() || inChain[size_t(found->second)])
                break;
            chain.push_back(found->second);
            inChain[size_t(found->second)] = true;
        }
        for (size_t i = chain.size(); i-- > 0;) {
            inChain[size_t(chain[i])] = false;
            const std::string name = Name(bones[chain[i]].name);
            if (nodes.count(name) != 0)
                continue;
            ExpectedBone expected;
            expected.source = chain[i];
            const std::string parent = Name(bones[chain[i]].parent);
            if (!parent.empty() && nodes.count(parent) != 0)
                expected.parent = parent;
            nodes[name] = expected;
        }
    }
    return nodes;
}

// The node's world transform as the import sets it: the inverse of the
// inverse bind matrix in float (the matrix itself when singular), with the
// last column dropped (a host transform has four rows of three).
TMatrix4<float> PoseOf(const TMatrix4<float>& invBaseMatrix) {
    TMatrix4<float> pose = invBaseMatrix;
    if (!IsSingularPose(invBaseMatrix)) {
        const float det = invBaseMatrix.Determinant();
        TMatrix4<float> inverse = invBaseMatrix.Adjugate();
        bool finite = true;
        for (auto& row : inverse.m)
            for (float& value : row) {
                value /= det;
                finite = finite && std::isfinite(value);
            }
        if (finite)
            pose = inverse;
    }
    for (int r = 0; r < 3; ++r)
        pose.m[r][3] = 0.0f;
    pose.m[3][3] = 1.0f;
    return pose;
}

bool IsFinite(const TMatrix4<float>& m) {
    for (const auto& row : m.m)
        for (float value : row)
            if (!std::isfinite(value))
                return false;
    return true;
}

// The inverse in double by Gauss-Jordan with partial pivoting; false when singular.
bool InverseOf(const TMatrix4<float>& m, double out[4][4]) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            a[r][c] = c < 4 ? double(m.m[r][c]) : (c - 4 == r ? 1.0 : 0.0);
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (a[pivot][c] == 0.0)
            return false;
        for (int k = 0; k < 8; ++k)
            std::swap(a[c][k], a[pivot][k]);
        const double p = a[c][c];
        for (int k = 0; k < 8; ++k)
            a[c][k] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c];
            for (int k = 0; k < 8; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r][c] = a[r][c + 4];
    return true;
}

double NormOf(const double m[4][4]) {
    double norm = 0.0;
    for (int r = 0; r < 4; ++r) {
        double sum = 0.0;
        for (int c = 0; c < 4; ++c)
            sum += std::fabs(m[r][c]);
        norm = std::max(norm, sum);
    }
    return norm;
}

// ‖m‖ × ‖m⁻¹‖; infinite for a matrix without a finite inverse.
double ConditionOf(const TMatrix4<float>& m) {
    double inverse[4][4];
    if (!IsFinite(m) || !InverseOf(m, inverse))
        return HUGE_VAL;
    double values[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            values[r][c] = m.m[r][c];
    return NormOf(values) * NormOf(inverse);
}

// The sum of the conditions of the bone's ancestors' poses: the host keeps a
// child's transform relative to its parent's (world × parent⁻¹, and back),
// and every ancestor adds an error of about eps × its own condition.
double AncestorsCondition(const std::map<std::string, ExpectedBone>& expected, const UArray<BoneData>& bones,
                          const ExpectedBone& bone) {
    double sum = 0.0;
    for (std::string up = bone.parent; !up.empty();) {
        const ExpectedBone& parent = expected.at(up);
        sum += ConditionOf(PoseOf(bones[parent.source].invBaseMatrix));
        up = parent.parent;
    }
    return sum;
}

// Relative error of the pose that the export reads back from the host.
double PoseError(const TMatrix4<float>& pose, double ancestors) {
    return 64.0 * FLT_EPSILON * (1.0 + ancestors) * ConditionOf(pose);
}

// Whether the export may find the bone's pose singular and stop (its
// documented failure): the pose has no inverse, or it lies so near the
// threshold that the float error of the host's storage can take it there.
bool ExportMayRefuse(const TMatrix4<float>& pose, double ancestors) {
    double inverse[4][4];
    if (!IsFinite(pose) || IsSingularPose(pose) || !InverseOf(pose, inverse))
        return true;
    const double error = PoseError(pose, ancestors);
    if (error >= 1.0)
        return true;
    const double det = std::fabs(double(pose.Determinant())) * (1.0 - 4.0 * error);
    const double longest = pose.LongestAxis() * (1.0 + error);
    return det <= double(SINGULAR_DETERMINANT) || det <= double(SINGULAR_DETERMINANT) * longest * longest * longest;
}

// ---- the meshes the import makes --------------------------------------------

// The import run's rule for a mesh whose lists do not fit together: it is
// left out, with a warning. Mirrors what the run checks before building.
bool ImportTakes(const MeshData& mesh, int32_t boneCount) {
    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts) {
        if (count < 3)
            return false;
        corners += count;
    }
    if (corners != uint64_t(mesh.polygonVertexIndices.Num()))
        return false;
    for (unsigned int index : mesh.polygonVertexIndices)
        if (index >= unsigned(mesh.vertices.Num()))
            return false;
    if (mesh.normals.Num() != 0 || mesh.polygonNormalIndices.Num() != 0) {
        if (corners != uint64_t(mesh.polygonNormalIndices.Num()))
            return false;
        for (unsigned int index : mesh.polygonNormalIndices)
            if (index >= unsigned(mesh.normals.Num()))
                return false;
    }
    if (mesh.polygonTexCoordIndices.Num() != mesh.textureCoordinates.Num())
        return false;
    for (int32_t set = 0; set < mesh.textureCoordinates.Num(); ++set) {
        if (corners != uint64_t(mesh.polygonTexCoordIndices[set].Num()))
            return false;
        for (unsigned int index : mesh.polygonTexCoordIndices[set])
            if (index >= unsigned(mesh.textureCoordinates[set].Num()))
                return false;
    }
    uint64_t weights = 0;
    for (unsigned int count : mesh.vertexWeightCounts)
        weights += count;
    if (weights != uint64_t(mesh.weights.Num()))
        return false;
    if (mesh.vertexWeightCounts.Num() > mesh.vertices.Num())
        return false;
    for (const MeshData::Weight& weight : mesh.weights)
        if (weight.boneIndex < 0 || weight.boneIndex >= boneCount)
            return false;
    return true;
}

// Whether a run of this input stays quick (the bounds above).
bool QuickEnough(const UArray<BoneData>& bones, const UArray<MeshData>& meshes) {
    if (bones.Num() > MAX_BONES || meshes.Num() > MAX_MESHES)
        return false;
    uint64_t elements = 0;
    uint64_t setWork = 0;
    for (const MeshData& mesh : meshes) {
        elements += uint64_t(mesh.vertices.Num()) + uint64_t(mesh.normals.Num()) +
                    uint64_t(mesh.polygonVertexIndices.Num()) + uint64_t(mesh.polygonNormalIndices.Num()) +
                    uint64_t(mesh.vertexWeightCounts.Num()) + uint64_t(mesh.weights.Num()) +
                    uint64_t(mesh.polygonVertexCounts.Num());
        for (const auto& set : mesh.textureCoordinates)
            elements += uint64_t(set.Num());
        for (const auto& set : mesh.polygonTexCoordIndices)
            elements += uint64_t(set.Num());
        setWork += uint64_t(mesh.textureCoordinates.Num()) * (uint64_t(mesh.polygonVertexIndices.Num()) + 1);
    }
    return elements <= MAX_ELEMENTS && setWork <= MAX_SET_WORK;
}

// One vertex's weights as bone names and values.
using VertexWeights = std::vector<std::pair<std::string, float>>;

std::vector<VertexWeights> WeightsByVertex(const MeshData& mesh, const UArray<BoneData>& bones, int32_t vertexCount) {
    std::vector<VertexWeights> out(size_t(std::max(vertexCount, 0)));
    int32_t position = 0;
    for (int32_t v = 0; v < mesh.vertexWeightCounts.Num(); ++v) {
        for (unsigned int k = 0; k < mesh.vertexWeightCounts[v]; ++k, ++position) {
            if (position >= mesh.weights.Num())
                Finding("mesh \"" + Name(mesh.name) + "\": its weight counts run past its weights");
            const MeshData::Weight& weight = mesh.weights[position];
            if (weight.boneIndex < 0 || weight.boneIndex >= bones.Num())
                Finding("mesh \"" + Name(mesh.name) + "\": a weight names bone " + std::to_string(weight.boneIndex) +
                        " of " + std::to_string(bones.Num()));
            if (v < int32_t(out.size()))
                out[size_t(v)].emplace_back(Name(bones[weight.boneIndex].name), weight.weight);
        }
    }
    return out;
}

// ---- the comparison ----------------------------------------------------------

void CompareBones(const UArray<BoneData>& first, const UArray<BoneData>& second) {
    const std::map<std::string, ExpectedBone> expected = ExpectBones(first);
    std::map<std::string, int32_t> exported;
    for (int32_t i = 0; i < second.Num(); ++i)
        if (!exported.emplace(Name(second[i].name), i).second)
            Finding("the export lists bone \"" + Name(second[i].name) + "\" twice");
    for (const auto& [name, bone] : expected)
        if (exported.count(name) == 0)
            Finding("bone \"" + name + "\" (bone " + std::to_string(bone.source) + " of the file) is not exported");
    for (const auto& [name, index] : exported) {
        const auto found = expected.find(name);
        if (found == expected.end())
            Finding("the export has a bone \"" + name + "\" that the file does not have");
        const BoneData& out = second[index];
        const BoneData& in = first[found->second.source];
        if (Name(out.parent) != found->second.parent)
            Finding("bone \"" + name + "\": parent \"" + Name(in.parent) + "\" in the file (expected \"" +
                    found->second.parent + "\" after the import), \"" + Name(out.parent) + "\" exported");

        // The export writes the inverse of the pose the import set.
        const TMatrix4<float> pose = PoseOf(in.invBaseMatrix);
        const double ancestors = AncestorsCondition(expected, first, found->second);
        double inverse[4][4];
        if (!IsFinite(pose) || IsSingularPose(pose) || !InverseOf(pose, inverse)) {
            // No inverse to write: the export stops with its failure (checked
            // by the caller), or writes what its own arithmetic gives.
            continue;
        }
        // Inverting twice in float loses digits as the condition number
        // grows: the import's inverse and the export's inverse each add an
        // error of about eps × cond relative to the matrix, and the host's
        // storage below the ancestors adds theirs.
        const double condition = ConditionOf(pose);
        const double scale = NormOf(inverse);
        const double tolerance =
            2.0 * TEXT_TOLERANCE + 64.0 * FLT_EPSILON * condition * (condition + ancestors) * scale;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (!Near(inverse[r][c], out.invBaseMatrix.m[r][c], tolerance))
                    Finding("bone \"" + name + "\": invBaseMatrix " + Text(in.invBaseMatrix) + " in the file, " +
                            Text(out.invBaseMatrix) + " exported (row " + std::to_string(r) + ", column " +
                            std::to_string(c) + ", tolerance " + std::to_string(tolerance) + ")");
    }
}

void CompareMesh(const MeshData& in, const UArray<BoneData>& firstBones, const MeshData& out,
                 const UArray<BoneData>& secondBones) {
    const std::string name = Name(in.name);
    const std::string at = "mesh \"" + name + "\": ";
    if (Name(out.name) != name)
        Finding("a mesh named \"" + name + "\" in the file is exported as \"" + Name(out.name) + "\"");

    if (in.vertices.Num() != out.vertices.Num())
        Finding(at + std::to_string(in.vertices.Num()) + " vertices in the file, " +
                std::to_string(out.vertices.Num()) + " exported");
    for (int32_t v = 0; v < in.vertices.Num(); ++v)
        if (!NearPoint(in.vertices[v], out.vertices[v]))
            Finding(at + "vertex " + std::to_string(v) + " is " + Text(in.vertices[v]) + " in the file, " +
                    Text(out.vertices[v]) + " exported");

    if (in.polygonVertexCounts.Num() != out.polygonVertexCounts.Num())
        Finding(at + std::to_string(in.polygonVertexCounts.Num()) + " polygons in the file, " +
                std::to_string(out.polygonVertexCounts.Num()) + " exported");
    for (int32_t f = 0; f < in.polygonVertexCounts.Num(); ++f)
        if (in.polygonVertexCounts[f] != out.polygonVertexCounts[f])
            Finding(at + "polygon " + std::to_string(f) + " has " + std::to_string(in.polygonVertexCounts[f]) +
                    " corners in the file, " + std::to_string(out.polygonVertexCounts[f]) + " exported");
    const int32_t corners = in.polygonVertexIndices.Num();
    if (out.polygonVertexIndices.Num() != corners)
        Finding(at + std::to_string(corners) + " polygon corners in the file, " +
                std::to_string(out.polygonVertexIndices.Num()) + " exported");
    for (int32_t c = 0; c < corners; ++c)
        if (in.polygonVertexIndices[c] != out.polygonVertexIndices[c])
            Finding(at + "corner " + std::to_string(c) + " uses vertex " + std::to_string(in.polygonVertexIndices[c]) +
                    " in the file, " + std::to_string(out.polygonVertexIndices[c]) + " exported");

    // Normals per corner; the pool may be renumbered. A mesh without normals
    // in the file gets the ones the host computes, which the file cannot hold.
    if (in.normals.Num() != 0) {
        if (out.polygonNormalIndices.Num() != corners)
            Finding(at + std::to_string(corners) + " normal corners in the file, " +
                    std::to_string(out.polygonNormalIndices.Num()) + " exported");
        for (int32_t c = 0; c < corners; ++c) {
            const unsigned int index = out.polygonNormalIndices[c];
            if (index >= unsigned(out.normals.Num()))
                Finding(at + "exported normal index " + std::to_string(index) + " of corner " + std::to_string(c) +
                        " lies outside its " + std::to_string(out.normals.Num()) + " normals");
            const TVector3<float>& expected = in.normals[int32_t(in.polygonNormalIndices[c])];
            if (!NearNormal(expected, out.normals[int32_t(index)]))
                Finding(at + "the normal of corner " + std::to_string(c) + " is " + Text(expected) + " in the file, " +
                        Text(out.normals[int32_t(index)]) + " exported");
        }
    }

    // Texture sets: as many as the host has channels for, coordinates per corner.
    const int32_t sets = std::min(in.textureCoordinates.Num(), HOST_SET_LIMIT);
    if (out.textureCoordinates.Num() != sets || out.polygonTexCoordIndices.Num() != sets)
        Finding(at + std::to_string(in.textureCoordinates.Num()) + " texture sets in the file, " +
                std::to_string(out.textureCoordinates.Num()) + " (index sets " +
                std::to_string(out.polygonTexCoordIndices.Num()) + ") exported, " + std::to_string(sets) + " expected");
    for (int32_t s = 0; s < sets; ++s) {
        if (in.textureCoordinates[s].Num() == 0)
            continue; // no corners either: nothing placed, nothing to compare
        const UArray<unsigned int>& indices = out.polygonTexCoordIndices[s];
        if (indices.Num() != corners)
            Finding(at + "set " + std::to_string(s) + ": " + std::to_string(corners) + " corners in the file, " +
                    std::to_string(indices.Num()) + " exported");
        for (int32_t c = 0; c < corners; ++c) {
            if (indices[c] >= unsigned(out.textureCoordinates[s].Num()))
                Finding(at + "set " + std::to_string(s) + ": exported index " + std::to_string(indices[c]) +
                        " of corner " + std::to_string(c) + " lies outside its " +
                        std::to_string(out.textureCoordinates[s].Num()) + " coordinates");
            const TVector2<float>& expected = in.textureCoordinates[s][int32_t(in.polygonTexCoordIndices[s][c])];
            const TVector2<float>& actual = out.textureCoordinates[s][int32_t(indices[c])];
            if (!NearCoordinate(expected, actual))
                Finding(at + "set " + std::to_string(s) + ", corner " + std::to_string(c) + ": " + Text(expected) +
                        " in the file, " + Text(actual) + " exported");
        }
    }

    // Weights by bone name, vertex by vertex; a vertex without a count entry has none.
    if (in.weights.Num() == 0 && out.weights.Num() != 0)
        Finding(at + "no weights in the file, " + std::to_string(out.weights.Num()) + " exported");
    const std::vector<VertexWeights> expected = WeightsByVertex(in, firstBones, in.vertices.Num());
    const std::vector<VertexWeights> actual = WeightsByVertex(out, secondBones, out.vertices.Num());
    if (in.weights.Num() != 0 && out.vertexWeightCounts.Num() > in.vertices.Num())
        Finding(at + std::to_string(out.vertexWeightCounts.Num()) + " weight counts exported for " +
                std::to_string(in.vertices.Num()) + " vertices");
    for (size_t v = 0; v < expected.size(); ++v) {
        const VertexWeights& e = expected[v];
        const VertexWeights& a = actual[v];
        bool same = e.size() == a.size();
        for (size_t k = 0; same && k < e.size(); ++k)
            same = e[k].first == a[k].first && Near(e[k].second, a[k].second, ValueTolerance(e[k].second));
        if (!same) {
            std::string text = at + "vertex " + std::to_string(v) + " weights: file";
            for (const auto& [bone, weight] : e)
                text += " " + bone + "=" + Text(weight);
            text += "; exported";
            for (const auto& [bone, weight] : a)
                text += " " + bone + "=" + Text(weight);
            Finding(text);
        }
    }
}

bool HasQuote(const orlo::UString& name) {
    return Name(name).find('"') != std::string::npos;
}

bool HoldsAQuote(const UArray<BoneData>& bones, const UArray<MeshData>& meshes) {
    for (const BoneData& bone : bones)
        if (HasQuote(bone.name) || HasQuote(bone.parent))
            return true;
    for (const MeshData& mesh : meshes)
        if (HasQuote(mesh.name))
            return true;
    return false;
}

bool ReadText(const char* name, const void* data, size_t size, UArray<BoneData>& bones, UArray<MeshData>& meshes) {
    orlo::UInputStream_Memory stream(name, data, size);
    return QuarroTextReader::Read(&stream, bones, meshes, nullptr);
}

void TakeHostRuleBreaks(const char* when) {
    maxsim::HostRules::Instance().Check();
    const std::vector<std::string> breaks = maxsim::HostRules::Instance().TakeBreaks();
    if (!breaks.empty()) {
        std::string text = std::string("host rule broken ") + when + ":";
        for (const std::string& rule : breaks)
            text += "\n  " + rule;
        Finding(text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();

    UArray<BoneData> first;
    UArray<MeshData> firstMeshes;
    try {
        if (!ReadText("fuzz.qro", data, size, first, firstMeshes))
            return 0;
    } catch (const orlo::ErrorDescription&) {
        return 0; // the tokenizer gave up: the import would end the same way
    }
    if (!QuickEnough(first, firstMeshes))
        return -1; // kept out of the corpus

    // An empty scene for each input.
    maxsim::HostInterface::Instance().Reset();
    maxsim::HostRules::Instance().TakeBreaks();

    HStatus imported;
    try {
        orlo::UInputStream_Memory stream("fuzz.qro", data, size);
        QuarroImporter::Import(imported, orlo::UCommandLine(orlo::UString("QuarroImporter")), &stream);
    } catch (const orlo::ErrorDescription& error) {
        Finding(std::string("the import of a file that the reader accepts raised:\n") + error.GetReport());
    } catch (const merrow::HException& error) {
        Finding(std::string("the import of a file that the reader accepts raised: ") + error.GetMessageText().c_str());
    }
    if (imported.GetCode() != HStatus::DONE)
        Finding("the import of a file that the reader accepts answers " + std::to_string(imported.GetCode()));
    TakeHostRuleBreaks("during the import");

    orlo::UOutputStream_Memory exportStream("export.qro");
    const HStatus exported = QuarroExporter::Export(&exportStream, false);
    TakeHostRuleBreaks("during the export");
    const std::string text(reinterpret_cast<const char*>(exportStream.GetBytes()), size_t(exportStream.GetLength()));

    // The meshes the import keeps, in file order.
    std::vector<int32_t> kept;
    for (int32_t k = 0; k < firstMeshes.Num(); ++k)
        if (ImportTakes(firstMeshes[k], first.Num()))
            kept.push_back(k);

    UArray<BoneData> second;
    UArray<MeshData> secondMeshes;
    if (exported.GetCode() == HStatus::DONE && HoldsAQuote(first, firstMeshes)) {
        // A name read from a block may hold a double quote; names are written
        // unescaped, so such a file cannot be read back (the export warns of
        // it). The export must still have ended well, as it did.
    } else if (exported.GetCode() == HStatus::DONE) {
        bool accepted = false;
        try {
            accepted = ReadText("export.qro", text.data(), text.size(), second, secondMeshes);
        } catch (const orlo::ErrorDescription& error) {
            Finding(std::string("the exported file cannot be read:\n") + error.GetReport() + "\n" + text);
        }
        if (!accepted)
            Finding("the reader refuses the exported file:\n" + text);
        CompareBones(first, second);
        if (secondMeshes.Num() != int32_t(kept.size()))
            Finding(std::to_string(firstMeshes.Num()) + " meshes in the file, " + std::to_string(kept.size()) +
                    " of them imported, " + std::to_string(secondMeshes.Num()) + " exported");
        for (size_t i = 0; i < kept.size(); ++i)
            CompareMesh(firstMeshes[kept[i]], first, secondMeshes[int32_t(i)], second);
    } else {
        // Only a bone without an inverse, or near enough to lose it in the
        // host, may stop the export.
        const std::map<std::string, ExpectedBone> expected = ExpectBones(first);
        bool mayRefuse = false;
        for (const auto& [name, bone] : expected)
            mayRefuse = mayRefuse || ExportMayRefuse(PoseOf(first[bone.source].invBaseMatrix),
                                                     AncestorsCondition(expected, first, bone));
        if (!mayRefuse)
            Finding("the export after the import answers " + std::to_string(exported.GetCode()) +
                    " though every bone has an inverse; it wrote:\n" + text);
    }

    maxsim::HostInterface::Instance().Reset();
    TakeHostRuleBreaks("as the scene goes");
    return 0;
}
