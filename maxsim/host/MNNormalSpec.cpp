#include "max.h"

#include "MNNormalSpec.h"

#include <map>
#include <utility>

#include "MNMesh.h"

#include "HostRules.h"

MNNormalSpec::MNNormalSpec() : mpParent(nullptr), mWrites(0) {}

void MNNormalSpec::BeforeWrite(const char* operation) {
    ++mWrites;
    if (mpParent && (mpParent->m_borrowed & MNMesh::kNormalsShared))
        maxsim::HostRules::Instance().Broken(std::string("MNNormalSpec::") + operation +
                                             " changed the specified normals of a mesh that shares them with the "
                                             "pipeline (a locked channel of a shallow copy is read-only)");
}
MNNormalSpec::~MNNormalSpec() {}

void MNNormalSpec::Initialize() {
    BeforeWrite("Initialize");
    ClearAndFree();
    mpParent = nullptr;
}

bool MNNormalSpec::NAlloc(int num, bool keep) {
    BeforeWrite("NAlloc");
    if (!keep) {
        mNormals.clear();
        mExplicit.clear();
    }
    if (num > 0)
        mNormals.reserve(size_t(num));
    return true;
}

bool MNNormalSpec::FAlloc(int num, bool keep) {
    BeforeWrite("FAlloc");
    if (!keep)
        mFaces.clear();
    if (num > 0)
        mFaces.reserve(size_t(num));
    return true;
}

void MNNormalSpec::Clear() {
    BeforeWrite("Clear");
    mNormals.clear();
    mExplicit.clear();
    mFaces.clear();
    ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
}

void MNNormalSpec::ClearAndFree() {
    BeforeWrite("ClearAndFree");
    std::vector<Point3>().swap(mNormals);
    std::vector<bool>().swap(mExplicit);
    std::vector<MNNormalFace>().swap(mFaces);
    ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
}

bool MNNormalSpec::SetNumFaces(int numFaces) {
    BeforeWrite("SetNumFaces");
    mFaces.resize(size_t(numFaces > 0 ? numFaces : 0));
    return true;
}

bool MNNormalSpec::SetNumNormals(int numNormals) {
    BeforeWrite("SetNumNormals");
    const size_t n = size_t(numNormals > 0 ? numNormals : 0);
    mNormals.resize(n, Point3(0.0f, 0.0f, 0.0f));
    mExplicit.resize(n, false);
    return true;
}

bool MNNormalSpec::GetNormalExplicit(int normID) const {
    return normID >= 0 && size_t(normID) < mExplicit.size() && mExplicit[size_t(normID)];
}

void MNNormalSpec::SetNormalExplicit(int normID, bool value) {
    BeforeWrite("SetNormalExplicit");
    if (normID >= 0 && size_t(normID) < mExplicit.size())
        mExplicit[size_t(normID)] = value;
}

void MNNormalSpec::SetAllExplicit(bool value) {
    BeforeWrite("SetAllExplicit");
    mExplicit.assign(mExplicit.size(), value);
}

Point3& MNNormalSpec::GetNormal(int face, int corner) {
    const int id = GetNormalIndex(face, corner);
    if (id < 0 || id >= GetNumNormals()) {
        mScratch = Point3(0.0f, 0.0f, 0.0f);
        return mScratch;
    }
    return mNormals[size_t(id)];
}

// Gives the corner a normal of its own with this value, explicit.
void MNNormalSpec::SetNormal(int face, int corner, Point3& normal) {
    const int id = NewNormal(normal, true);
    SetNormalIndex(face, corner, id);
}

int MNNormalSpec::GetNormalIndex(int face, int corner) {
    if (face < 0 || face >= GetNumFaces())
        return -1;
    return mFaces[size_t(face)].GetNormalID(corner);
}

void MNNormalSpec::SetNormalIndex(int face, int corner, int normalIndex) {
    BeforeWrite("SetNormalIndex");
    if (face < 0 || face >= GetNumFaces())
        return;
    mFaces[size_t(face)].SpecifyNormalID(corner, normalIndex);
}

int MNNormalSpec::NewNormal(Point3& normal, bool explic) {
    BeforeWrite("NewNormal");
    mNormals.push_back(normal);
    mExplicit.push_back(explic);
    return GetNumNormals() - 1;
}

// Keeps the normals of specified corners and builds the others again: one
// normal per vertex and smoothing group, or one per corner of a face
// without smoothing groups; then computes the non-explicit ones. Each normal
// face takes the degree of the parent's face of the same index.
void MNNormalSpec::BuildNormals() {
    if (!mpParent || mFaces.capacity() == 0)
        return;
    BeforeWrite("BuildNormals");
    MNMesh& mesh = *mpParent;
    const int faceCount = GetNumFaces() < mesh.numf ? GetNumFaces() : mesh.numf;

    std::vector<int> remap(mNormals.size(), -1);
    std::vector<Point3> normals;
    std::vector<bool> explicitFlags;
    for (int fi = 0; fi < faceCount; ++fi) {
        MNNormalFace& nf = mFaces[size_t(fi)];
        nf.SetDegree(mesh.f[fi].deg);
        for (int c = 0; c < nf.GetDegree(); ++c) {
            if (!nf.GetSpecified(c))
                continue;
            const int id = nf.GetNormalID(c);
            if (id < 0 || size_t(id) >= mNormals.size())
                continue;
            if (remap[size_t(id)] < 0) {
                remap[size_t(id)] = int(normals.size());
                normals.push_back(mNormals[size_t(id)]);
                explicitFlags.push_back(mExplicit[size_t(id)]);
            }
            nf.SetNormalID(c, remap[size_t(id)]);
        }
    }

    std::map<std::pair<int, DWORD>, int> smoothed;
    for (int fi = 0; fi < faceCount; ++fi) {
        MNNormalFace& nf = mFaces[size_t(fi)];
        const MNFace& face = mesh.f[fi];
        for (int c = 0; c < nf.GetDegree(); ++c) {
            if (nf.GetSpecified(c) && nf.GetNormalID(c) >= 0)
                continue;
            int id;
            if (face.smGroup) {
                const auto key = std::make_pair(face.vtx[c], face.smGroup);
                auto it = smoothed.find(key);
                if (it == smoothed.end()) {
                    id = int(normals.size());
                    normals.push_back(Point3(0.0f, 0.0f, 0.0f));
                    explicitFlags.push_back(false);
                    smoothed.emplace(key, id);
                } else
                    id = it->second;
            } else {
                id = int(normals.size());
                normals.push_back(Point3(0.0f, 0.0f, 0.0f));
                explicitFlags.push_back(false);
            }
            nf.SetNormalID(c, id);
        }
    }
    mNormals.swap(normals);
    mExplicit.swap(explicitFlags);
    SetFlag(MNNORMAL_NORMALS_BUILT);
    ComputeNormals();
}

// Every normal that is not explicit becomes the normalised sum of the
// normals of the faces that use it.
void MNNormalSpec::ComputeNormals() {
    if (!mpParent)
        return;
    BeforeWrite("ComputeNormals");
    MNMesh& mesh = *mpParent;
    std::vector<Point3> sums(mNormals.size(), Point3(0.0f, 0.0f, 0.0f));
    const int faces = mesh.numf < GetNumFaces() ? mesh.numf : GetNumFaces();
    for (int fi = 0; fi < faces; ++fi) {
        const Point3 fn = mesh.GetFaceNormal(fi, true);
        const MNNormalFace& nf = mFaces[size_t(fi)];
        for (int c = 0; c < nf.GetDegree(); ++c) {
            const int id = nf.GetNormalID(c);
            if (id >= 0 && size_t(id) < sums.size())
                sums[size_t(id)] += fn;
        }
    }
    for (size_t i = 0; i < mNormals.size(); ++i)
        if (!mExplicit[i])
            mNormals[i] = sums[i].Normalize();
    SetFlag(MNNORMAL_NORMALS_COMPUTED);
}

void MNNormalSpec::CheckNormals() {
    if (!GetFlag(MNNORMAL_NORMALS_BUILT))
        BuildNormals();
    else if (!GetFlag(MNNORMAL_NORMALS_COMPUTED))
        ComputeNormals();
}

void MNNormalSpec::MakeNormalsExplicit(bool useSel, BitArray* normSelection, bool value) {
    BeforeWrite("MakeNormalsExplicit");
    const BitArray* sel = normSelection ? normSelection : &mSelection;
    for (size_t i = 0; i < mExplicit.size(); ++i) {
        if (useSel && (int(i) >= sel->GetSize() || !(*sel)[int(i)]))
            continue;
        mExplicit[i] = value;
    }
}

MNNormalSpec& MNNormalSpec::operator=(const MNNormalSpec& from) {
    if (this == &from)
        return *this;
    BeforeWrite("operator=");
    mNormals = from.mNormals;
    mExplicit = from.mExplicit;
    mFaces = from.mFaces;
    mSelection = from.mSelection;
    ImportFlags(from.ExportFlags());
    return *this;
}
