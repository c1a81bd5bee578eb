#include "max.h"

#include "HostRules.h"

#include <cstring>

#include "MNMesh.h"
#include "inode.h"
#include "polyobj.h"
#include "triobj.h"

namespace maxsim {
namespace {

// 64-bit words mixed one at a time, fed through a small buffer so that the
// many short values of a mesh's faces cost little each: quick over a large
// mesh, and any change of a byte changes the result with all but certainty.
class Hash {
public:
    void Bytes(const void* data, size_t size) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        m_length += size;
        while (size > 0) {
            const size_t n = size < sizeof(m_buffer) - m_fill ? size : sizeof(m_buffer) - m_fill;
            std::memcpy(m_buffer + m_fill, p, n);
            m_fill += n;
            p += n;
            size -= n;
            if (m_fill == sizeof(m_buffer))
                Flush();
        }
    }
    template <class T>
    void Value(const T& value) {
        Bytes(&value, sizeof(value));
    }
    uint64_t Result() {
        std::memset(m_buffer + m_fill, 0, sizeof(m_buffer) - m_fill);
        m_fill = (m_fill + 31) / 32 * 32;
        Flush();
        uint64_t h = m_length;
        for (uint64_t lane : m_lanes)
            h = Mix(h ^ lane);
        return h;
    }

private:
    // Four lanes side by side, so that the multiplications overlap.
    void Flush() {
        for (size_t i = 0; i < m_fill; i += 32)
            for (size_t k = 0; k < 4; ++k) {
                uint64_t word;
                std::memcpy(&word, m_buffer + i + 8 * k, 8);
                m_lanes[k] = Mix(m_lanes[k] ^ word);
            }
        m_fill = 0;
    }
    static uint64_t Mix(uint64_t h) {
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }
    uint64_t m_lanes[4] = {0xCBF29CE484222325ull, 0x84222325CBF29CE4ull, 0x100000001B3ull, 0x9E3779B97F4A7C15ull};
    uint64_t m_length = 0;
    unsigned char m_buffer[256];
    size_t m_fill = 0;
};

void HashMesh(Hash& h, MNMesh& mesh) {
    h.Value(mesh.numv);
    if (mesh.numv > 0)
        h.Bytes(mesh.v, sizeof(MNVert) * size_t(mesh.numv));
    h.Value(mesh.numf);
    for (int i = 0; i < mesh.numf; ++i) {
        const MNFace& face = mesh.f[i];
        h.Value(face.deg);
        h.Value(face.material);
        h.Value(face.smGroup);
        h.Value(face.ExportFlags());
        if (face.deg > 0)
            h.Bytes(face.vtx, sizeof(int) * size_t(face.deg));
    }
    h.Value(mesh.numm);
    for (int m = 0; m < mesh.numm; ++m) {
        MNMap* map = mesh.M(m);
        h.Value(map->ExportFlags());
        h.Value(map->numv);
        if (map->numv > 0)
            h.Bytes(map->v, sizeof(UVVert) * size_t(map->numv));
        h.Value(map->numf);
        for (int i = 0; i < map->numf; ++i) {
            h.Value(map->f[i].deg);
            if (map->f[i].deg > 0)
                h.Bytes(map->f[i].tv, sizeof(int) * size_t(map->f[i].deg));
        }
    }
    MNNormalSpec* spec = mesh.GetSpecifiedNormals();
    h.Value(spec != nullptr);
    if (spec == nullptr)
        return;
    h.Value(spec->GetNumNormals());
    if (spec->GetNumNormals() > 0)
        h.Bytes(spec->GetNormalArray(), sizeof(Point3) * size_t(spec->GetNumNormals()));
    for (int i = 0; i < spec->GetNumNormals(); ++i)
        h.Value(spec->GetNormalExplicit(i));
    h.Value(spec->GetNumFaces());
    for (int i = 0; i < spec->GetNumFaces(); ++i) {
        MNNormalFace& face = spec->Face(i);
        const int degree = face.GetDegree();
        h.Value(degree);
        if (degree > 0)
            h.Bytes(face.GetNormalIDArray(), sizeof(int) * size_t(degree));
        uint64_t specified = 0;
        for (int c = 0; c < degree && c < 64; ++c)
            specified |= uint64_t(face.GetSpecified(c)) << c;
        h.Value(specified);
    }
}

std::string NodeName(INode* node) {
    return node ? std::string(node->GetName()) : std::string("(no node)");
}

} // namespace

HostRules& HostRules::Instance() {
    // Never destroyed: objects deleted at process exit still report here.
    static HostRules* rules = new HostRules;
    return *rules;
}

void HostRules::Broken(const std::string& what) {
    m_breaks.push_back(what);
}

std::vector<std::string> HostRules::TakeBreaks() {
    std::vector<std::string> breaks;
    breaks.swap(m_breaks);
    return breaks;
}

unsigned HostRules::WriteCount(Object* obj) {
    PolyObject* poly = dynamic_cast<PolyObject*>(obj);
    if (poly == nullptr)
        return 0;
    unsigned writes = poly->mm.m_writes;
    if (MNNormalSpec* spec = poly->mm.GetSpecifiedNormals())
        writes += spec->mWrites;
    return writes;
}

uint64_t HostRules::Fingerprint(Object* obj) {
    Hash h;
    if (PolyObject* poly = dynamic_cast<PolyObject*>(obj)) {
        HashMesh(h, poly->mm);
    } else if (TriObject* tri = dynamic_cast<TriObject*>(obj)) {
        Mesh& mesh = tri->GetMesh();
        h.Value(mesh.numVerts);
        if (mesh.numVerts > 0)
            h.Bytes(mesh.verts, sizeof(Point3) * size_t(mesh.numVerts));
        h.Value(mesh.numFaces);
        if (mesh.numFaces > 0)
            h.Bytes(mesh.faces, sizeof(Face) * size_t(mesh.numFaces));
    }
    return h.Result();
}

void HostRules::HandedOut(Object* obj, INode* node, bool nodesOwn) {
    if (obj == nullptr)
        return;
    auto it = m_handedOut.find(obj);
    if (it != m_handedOut.end()) {
        Verify(obj, it->second, false);
        it->second.nodesOwn = nodesOwn;
        return;
    }
    // The pipeline draws and edits a poly mesh through its edge and vertex
    // lists: one with faces must have been filled in.
    if (PolyObject* poly = dynamic_cast<PolyObject*>(obj);
        poly && poly->mm.numf > 0 && !poly->mm.GetFlag(MN_MESH_FILLED_IN))
        Broken("node \"" + NodeName(node) +
               "\": a poly mesh entered the pipeline with its topology not filled in (MN_MESH_FILLED_IN clear: "
               "FillInMesh after building faces or invalidating the topology cache)");
    HandOut record;
    record.nodeName = NodeName(node);
    record.nodesOwn = nodesOwn;
    record.writes = WriteCount(obj);
    record.fingerprint = Fingerprint(obj);
    m_handedOut.emplace(obj, record);
}

void HostRules::ChangeAnnounced(ReferenceTarget* target) {
    if (m_handedOut.empty())
        return;
    for (auto it = m_handedOut.begin(); it != m_handedOut.end(); ++it) {
        if (static_cast<ReferenceTarget*>(it->first) != target)
            continue;
        // A node's own object may be changed by whoever tells the host; a
        // pipeline result may not be changed at all.
        if (!it->second.nodesOwn)
            Verify(it->first, it->second, true);
        m_handedOut.erase(it);
        return;
    }
}

void HostRules::Forget(Object* obj) {
    auto it = m_handedOut.find(obj);
    if (it == m_handedOut.end())
        return;
    Verify(obj, it->second, true);
    m_handedOut.erase(it);
}

void HostRules::Check() {
    for (auto& entry : m_handedOut)
        Verify(entry.first, entry.second, true);
}

void HostRules::ForgetAll() {
    m_handedOut.clear();
}

// A break is reported once: the record takes the object as it is now.
// Without `full` only the count of changes is compared, which costs nothing.
void HostRules::Verify(Object* obj, HandOut& record, bool full) {
    const unsigned writes = WriteCount(obj);
    const uint64_t fingerprint = full ? Fingerprint(obj) : record.fingerprint;
    if (writes == record.writes && fingerprint == record.fingerprint)
        return;
    const std::string how = writes != record.writes ? "through its mesh's operations" : "in place";
    if (record.nodesOwn)
        Broken("node \"" + record.nodeName + "\": its own object, handed out by EvalWorldState, was changed " + how +
               " without the host being told (a change to a node's object is followed by NotifyDependents with "
               "REFMSG_CHANGE)");
    else
        Broken("node \"" + record.nodeName + "\": the pipeline's result handed out by EvalWorldState was changed " +
               how + " (it belongs to the pipeline and is read-only)");
    record.writes = writes;
    record.fingerprint = full ? fingerprint : Fingerprint(obj);
}
} // namespace maxsim
