#pragma once
#include <vector>
#include "maxexport.h"
#include "maxheap.h"

// The normal ids of one face's corners, and which corners are specified
// (given by the user rather than built from smoothing groups).
class CoreExport MNNormalFace : public MaxHeapOperators
{
public:
    MNNormalFace() {}
    explicit MNNormalFace(int degree) { SetDegree(degree); }

    void Init() { Clear(); }
    void Clear();
    int GetDegree() const { return int(mNormalID.size()); }
    void SetDegree(int degree);
    int GetNormalID(int corner) const;
    void SetNormalID(int corner, int norm);
    int* GetNormalIDArray() { return mNormalID.empty() ? nullptr : mNormalID.data(); }
    bool GetSpecified(int corner) const;
    void SetSpecified(int corner, bool value = true);
    void SpecifyNormalID(int corner, int norm);
    void SpecifyAll(bool value = true);

private:
    std::vector<int> mNormalID;
    std::vector<bool> mSpecified;
};
