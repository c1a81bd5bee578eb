#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "MNNormalSpec.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "bitarray.h"
#include "coreexp.h"
#include "maxheap.h"
#include "mncommon.h"
#include "point3.h"
#include <memory>
#include <vector>

// The normal ids of one face's corners, and which corners are specified
// (given by the user rather than built from smoothing groups). A face of up
// to four corners keeps them in place; a larger one on the heap.
class CoreExport MNNormalFace : public MaxHeapOperators {
public:
    MNNormalFace() {}
    explicit MNNormalFace(int degree) { SetDegree(degree); }

    void Init() { Clear(); }
    void Clear();
    int GetDegree() const { return mDegree; }
    void SetDegree(int degree);
    int GetNormalID(int corner) const;
    void SetNormalID(int corner, int norm);
    int* GetNormalIDArray() { return mDegree == 0 ? nullptr : Ids(); }
    bool GetSpecified(int corner) const;
    void SetSpecified(int corner, bool value = true);
    void SpecifyNormalID(int corner, int norm);
    void SpecifyAll(bool value = true);

private:
    static const int kInPlace = 4;
    int* Ids() { return mDegree <= kInPlace ? mInPlace : mMore.data(); }
    const int* Ids() const { return mDegree <= kInPlace ? mInPlace : mMore.data(); }

    int mDegree = 0;
    int mInPlace[kInPlace] = {-1, -1, -1, -1};
    std::vector<int> mMore;
    std::vector<bool> mSpecified;
    unsigned mSpecifiedInPlace = 0;
};

class MNMesh;
namespace maxsim {
class HostRules;
}

#define MNNORMAL_NORMALS_BUILT 0x01
#define MNNORMAL_NORMALS_COMPUTED 0x02

// Specified normals of a polygon mesh: a normal array and, per face corner,
// the normal it uses. Corners that are not specified get normals built from
// smoothing groups; explicit normals keep their values when normals are
// computed again. Building and computing read the parent mesh (SetParent)
// and need the normal faces allocated (FAlloc or SetNumFaces) first.
//
// In the pipeline the normal array goes with the geometry channel and the
// normal faces with topology: a shallow copy shares them with the
// normal set it came from until NewAndCopyChannels gives it its own, and
// a change to a shared one breaks a host rule.
class CoreExport MNNormalSpec : public FlagUser {
public:
    MNNormalSpec();
    ~MNNormalSpec();

    void Initialize();
    bool NAlloc(int num, bool keep = true);
    bool FAlloc(int num, bool keep = true);
    void Clear();
    void ClearAndFree();

    int GetNumFaces() const { return int(mFaceArray->size()); }
    bool SetNumFaces(int numFaces);
    int GetNumNormals() const { return int(mNormalArray->normals.size()); }
    bool SetNumNormals(int numNormals);
    Point3& Normal(int normID) { return mNormalArray->normals[size_t(normID)]; }
    Point3* GetNormalArray() { return mNormalArray->normals.empty() ? nullptr : mNormalArray->normals.data(); }
    bool GetNormalExplicit(int normID) const;
    void SetNormalExplicit(int normID, bool value);
    void SetAllExplicit(bool value = true);
    MNNormalFace& Face(int faceID) { return (*mFaceArray)[size_t(faceID)]; }
    MNNormalFace* GetFaceArray() { return mFaceArray->empty() ? nullptr : mFaceArray->data(); }
    void SetParent(MNMesh* pMesh) { mpParent = pMesh; }
    MNMesh* GetParent() const { return mpParent; }

    Point3& GetNormal(int face, int corner);
    void SetNormal(int face, int corner, Point3& normal);
    int GetNormalIndex(int face, int corner);
    void SetNormalIndex(int face, int corner, int normalIndex);
    int NewNormal(Point3& normal, bool explic = true);

    // Builds the normals of unspecified corners from smoothing groups and
    // computes the non-explicit ones; does nothing without a parent or while
    // the face array is not allocated.
    void BuildNormals();
    // Recomputes the directions of non-explicit normals from the parent's
    // face normals, without rebuilding the normal list.
    void ComputeNormals();
    // BuildNormals or ComputeNormals, as the flags say is needed.
    void CheckNormals();
    void MakeNormalsExplicit(bool useSel = true, BitArray* normSelection = nullptr, bool value = true);
    void SetSelection(BitArray& newSelection) { mSelection = newSelection; }
    BitArray& GetSelection() { return mSelection; }

    // Copies everything but the parent; the copy's arrays are its own.
    MNNormalSpec& operator=(const MNNormalSpec& from);

    // Pipeline support: share, copy and free the arrays of the geometry
    // (normals) and topology (normal faces) channels.
    void ShallowCopy(MNNormalSpec* from, ChannelMask channels);
    void NewAndCopyChannels(ChannelMask channels);
    void FreeChannels(ChannelMask channels, int zeroOthers = 1);

private:
    friend class maxsim::HostRules;

    // Every change goes through here: counted, and checked against a parent
    // that shares this normal set with another mesh.
    void BeforeWrite(ChannelMask channels, const char* operation);

    struct NormalArray {
        std::vector<Point3> normals;
        std::vector<bool> explicitFlags;
    };

    MNMesh* mpParent;
    unsigned mWrites;
    std::shared_ptr<NormalArray> mNormalArray;
    std::shared_ptr<std::vector<MNNormalFace>> mFaceArray;
    // The channels whose arrays this normal set has from another.
    ChannelMask mBorrowed;
    BitArray mSelection;
    Point3 mScratch;
};
