#include "max.h"

#include "MNNormalSpec.h"

#include <map>
#include <utility>

#include "HostInterface.h"
#include "MNMesh.h"

#include "HostRules.h"

MNNormalSpec::MNNormalSpec()
    : mpParent(nullptr), mWrites(0), mNormalArray(std::make_shared<NormalArray>()),
      mFaceArray(std::make_shared<std::vector<MNNormalFace>>()), mBorrowed(0) {}

void MNNormalSpec::BeforeWrite(ChannelMask channels, const char* operation) {
    ++mWrites;
    const ChannelMask shared = channels & mBorrowed;
    if (shared)
        maxsim::HostRules::Instance().Broken(std::string("MNNormalSpec::") + operation + " changed the " +
                                             ((shared & GEOM_CHANNEL) ? "normals" : "normal faces") +
                                             " of a normal set that shares them with the pipeline (a locked "
                                             "channel of a shallow copy is read-only)");
}

void MNNormalSpec::ShallowCopy(MNNormalSpec* from, ChannelMask channels) {
    if (!from || from == this)
        return;
    if (channels & GEOM_CHANNEL) {
        mNormalArray = from->mNormalArray;
        mBorrowed |= GEOM_CHANNEL;
    }
    if (channels & TOPO_CHANNEL) {
        mFaceArray = from->mFaceArray;
        mBorrowed |= TOPO_CHANNEL;
    }
    ImportFlags(from->ExportFlags());
}

void MNNormalSpec::NewAndCopyChannels(ChannelMask channels) {
    const ChannelMask copy = channels & mBorrowed;
    if (copy & GEOM_CHANNEL)
        mNormalArray = std::make_shared<NormalArray>(*mNormalArray);
    if (copy & TOPO_CHANNEL)
        mFaceArray = std::make_shared<std::vector<MNNormalFace>>(*mFaceArray);
    mBorrowed &= ~copy;
}

void MNNormalSpec::FreeChannels(ChannelMask channels, int) {
    if (channels & GEOM_CHANNEL)
        mNormalArray = std::make_shared<NormalArray>();
    if (channels & TOPO_CHANNEL)
        mFaceArray = std::make_shared<std::vector<MNNormalFace>>();
    mBorrowed &= ~(channels & (GEOM_CHANNEL | TOPO_CHANNEL));
}
MNNormalSpec::~MNNormalSpec() {}

void MNNormalSpec::Initialize() {
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "Initialize");
    ClearAndFree();
    mpParent = nullptr;
}

bool MNNormalSpec::NAlloc(int num, bool keep) {
    BeforeWrite(GEOM_CHANNEL, "NAlloc");
    if (!keep) {
        mNormalArray->normals.clear();
        mNormalArray->explicitFlags.clear();
    }
    if (num > 0)
        mNormalArray->normals.reserve(size_t(num));
    return true;
}

bool MNNormalSpec::FAlloc(int num, bool keep) {
    BeforeWrite(TOPO_CHANNEL, "FAlloc");
    if (!keep)
        mFaceArray->clear();
    if (num > 0)
        mFaceArray->reserve(size_t(num));
    return true;
}

void MNNormalSpec::Clear() {
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "Clear");
    mNormalArray = std::make_shared<NormalArray>();
    mFaceArray = std::make_shared<std::vector<MNNormalFace>>();
    mBorrowed = 0;
    ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
}

void MNNormalSpec::ClearAndFree() {
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "ClearAndFree");
    mNormalArray = std::make_shared<NormalArray>();
    mFaceArray = std::make_shared<std::vector<MNNormalFace>>();
    mBorrowed = 0;
    ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
}

bool MNNormalSpec::SetNumFaces(int numFaces) {
    BeforeWrite(TOPO_CHANNEL, "SetNumFaces");
    mFaceArray->resize(size_t(numFaces > 0 ? numFaces : 0));
    return true;
}

bool MNNormalSpec::SetNumNormals(int numNormals) {
    BeforeWrite(GEOM_CHANNEL, "SetNumNormals");
    const size_t n = size_t(numNormals > 0 ? numNormals : 0);
    mNormalArray->normals.resize(n, Point3(0.0f, 0.0f, 0.0f));
    mNormalArray->explicitFlags.resize(n, false);
    return true;
}

bool MNNormalSpec::GetNormalExplicit(int normID) const {
    return normID >= 0 && size_t(normID) < mNormalArray->explicitFlags.size() &&
           mNormalArray->explicitFlags[size_t(normID)];
}

void MNNormalSpec::SetNormalExplicit(int normID, bool value) {
    BeforeWrite(GEOM_CHANNEL, "SetNormalExplicit");
    if (normID >= 0 && size_t(normID) < mNormalArray->explicitFlags.size())
        mNormalArray->explicitFlags[size_t(normID)] = value;
}

void MNNormalSpec::SetAllExplicit(bool value) {
    BeforeWrite(GEOM_CHANNEL, "SetAllExplicit");
    mNormalArray->explicitFlags.assign(mNormalArray->explicitFlags.size(), value);
}

Point3& MNNormalSpec::GetNormal(int face, int corner) {
    const int id = GetNormalIndex(face, corner);
    if (id < 0 || id >= GetNumNormals()) {
        mScratch = Point3(0.0f, 0.0f, 0.0f);
        return mScratch;
    }
    return mNormalArray->normals[size_t(id)];
}

// Gives the corner a normal of its own with this value, explicit.
void MNNormalSpec::SetNormal(int face, int corner, Point3& normal) {
    const int id = NewNormal(normal, true);
    SetNormalIndex(face, corner, id);
}

int MNNormalSpec::GetNormalIndex(int face, int corner) {
    if (face < 0 || face >= GetNumFaces())
        return -1;
    return (*mFaceArray)[size_t(face)].GetNormalID(corner);
}

void MNNormalSpec::SetNormalIndex(int face, int corner, int normalIndex) {
    BeforeWrite(TOPO_CHANNEL, "SetNormalIndex");
    if (face < 0 || face >= GetNumFaces())
        return;
    (*mFaceArray)[size_t(face)].SpecifyNormalID(corner, normalIndex);
}

int MNNormalSpec::NewNormal(Point3& normal, bool explic) {
    BeforeWrite(GEOM_CHANNEL, "NewNormal");
    mNormalArray->normals.push_back(normal);
    mNormalArray->explicitFlags.push_back(explic);
    return GetNumNormals() - 1;
}

// Keeps the normals of specified corners and builds the others again: one
// normal per vertex and smoothing group, or one per corner of a face
// without smoothing groups; then computes the non-explicit ones. Each normal
// face takes the degree of the parent's face of the same index.
void MNNormalSpec::BuildNormals() {
    if (!mpParent || mFaceArray->capacity() == 0)
        return;
    maxsim::HostInterface::Instance().Allocating("BuildNormals");
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "BuildNormals");
    MNMesh& mesh = *mpParent;
    const int faceCount = GetNumFaces() < mesh.numf ? GetNumFaces() : mesh.numf;

    std::vector<int> remap(mNormalArray->normals.size(), -1);
    std::vector<Point3> normals;
    std::vector<bool> explicitFlags;
    for (int fi = 0; fi < faceCount; ++fi) {
        MNNormalFace& nf = (*mFaceArray)[size_t(fi)];
        nf.SetDegree(mesh.f[fi].deg);
        for (int c = 0; c < nf.GetDegree(); ++c) {
            if (!nf.GetSpecified(c))
                continue;
            const int id = nf.GetNormalID(c);
            if (id < 0 || size_t(id) >= mNormalArray->normals.size())
                continue;
            if (remap[size_t(id)] < 0) {
                remap[size_t(id)] = int(normals.size());
                normals.push_back(mNormalArray->normals[size_t(id)]);
                explicitFlags.push_back(mNormalArray->explicitFlags[size_t(id)]);
            }
            nf.SetNormalID(c, remap[size_t(id)]);
        }
    }

    std::map<std::pair<int, DWORD>, int> smoothed;
    for (int fi = 0; fi < faceCount; ++fi) {
        MNNormalFace& nf = (*mFaceArray)[size_t(fi)];
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
    mNormalArray->normals.swap(normals);
    mNormalArray->explicitFlags.swap(explicitFlags);
    SetFlag(MNNORMAL_NORMALS_BUILT);
    ComputeNormals();
}

// Every normal that is not explicit becomes the normalised sum of the
// normals of the faces that use it.
void MNNormalSpec::ComputeNormals() {
    if (!mpParent)
        return;
    BeforeWrite(GEOM_CHANNEL, "ComputeNormals");
    MNMesh& mesh = *mpParent;
    std::vector<Point3> sums(mNormalArray->normals.size(), Point3(0.0f, 0.0f, 0.0f));
    const int faces = mesh.numf < GetNumFaces() ? mesh.numf : GetNumFaces();
    for (int fi = 0; fi < faces; ++fi) {
        const Point3 fn = mesh.GetFaceNormal(fi, true);
        const MNNormalFace& nf = (*mFaceArray)[size_t(fi)];
        for (int c = 0; c < nf.GetDegree(); ++c) {
            const int id = nf.GetNormalID(c);
            if (id >= 0 && size_t(id) < sums.size())
                sums[size_t(id)] += fn;
        }
    }
    for (size_t i = 0; i < mNormalArray->normals.size(); ++i)
        if (!mNormalArray->explicitFlags[i])
            mNormalArray->normals[i] = sums[i].Normalize();
    SetFlag(MNNORMAL_NORMALS_COMPUTED);
}

void MNNormalSpec::CheckNormals() {
    if (!GetFlag(MNNORMAL_NORMALS_BUILT))
        BuildNormals();
    else if (!GetFlag(MNNORMAL_NORMALS_COMPUTED))
        ComputeNormals();
}

void MNNormalSpec::MakeNormalsExplicit(bool useSel, BitArray* normSelection, bool value) {
    BeforeWrite(GEOM_CHANNEL, "MakeNormalsExplicit");
    const BitArray* sel = normSelection ? normSelection : &mSelection;
    for (size_t i = 0; i < mNormalArray->explicitFlags.size(); ++i) {
        if (useSel && (int(i) >= sel->GetSize() || !(*sel)[int(i)]))
            continue;
        mNormalArray->explicitFlags[i] = value;
    }
}

MNNormalSpec& MNNormalSpec::operator=(const MNNormalSpec& from) {
    if (this == &from)
        return *this;
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "operator=");
    mNormalArray = std::make_shared<NormalArray>(*from.mNormalArray);
    mFaceArray = std::make_shared<std::vector<MNNormalFace>>(*from.mFaceArray);
    mBorrowed = 0;
    mSelection = from.mSelection;
    ImportFlags(from.ExportFlags());
    return *this;
}
