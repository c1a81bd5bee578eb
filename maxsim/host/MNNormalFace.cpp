#include "max.h"

#include "MNNormalSpec.h"

void MNNormalFace::Clear() {
    SetDegree(0);
}

// Corners beyond the old degree come unspecified, without a normal.
void MNNormalFace::SetDegree(int degree) {
    if (degree < 0)
        degree = 0;
    if (degree == mDegree)
        return;
    int ids[kInPlace];
    const int kept = degree < mDegree ? degree : mDegree;
    std::vector<int> more;
    if (degree > kInPlace) {
        more.assign(size_t(degree), -1);
        for (int c = 0; c < kept; ++c)
            more[size_t(c)] = Ids()[c];
    } else {
        for (int c = 0; c < kInPlace; ++c)
            ids[c] = c < kept ? Ids()[c] : -1;
    }
    std::vector<bool> specified(size_t(degree > 32 ? degree : 0), false);
    unsigned specifiedInPlace = 0;
    for (int c = 0; c < kept; ++c)
        if (GetSpecified(c)) {
            if (degree > 32)
                specified[size_t(c)] = true;
            else
                specifiedInPlace |= 1u << c;
        }
    mDegree = degree;
    if (degree > kInPlace) {
        mMore.swap(more);
    } else {
        std::vector<int>().swap(mMore);
        for (int c = 0; c < kInPlace; ++c)
            mInPlace[c] = ids[c];
    }
    mSpecified.swap(specified);
    mSpecifiedInPlace = specifiedInPlace;
}

int MNNormalFace::GetNormalID(int corner) const {
    if (corner < 0 || corner >= mDegree)
        return -1;
    return Ids()[corner];
}

void MNNormalFace::SetNormalID(int corner, int norm) {
    if (corner >= 0 && corner < mDegree)
        Ids()[corner] = norm;
}

bool MNNormalFace::GetSpecified(int corner) const {
    if (corner < 0 || corner >= mDegree)
        return false;
    return mDegree > 32 ? bool(mSpecified[size_t(corner)]) : ((mSpecifiedInPlace >> corner) & 1u) != 0;
}

void MNNormalFace::SetSpecified(int corner, bool value) {
    if (corner < 0 || corner >= mDegree)
        return;
    if (mDegree > 32)
        mSpecified[size_t(corner)] = value;
    else if (value)
        mSpecifiedInPlace |= 1u << corner;
    else
        mSpecifiedInPlace &= ~(1u << corner);
}

void MNNormalFace::SpecifyNormalID(int corner, int norm) {
    SetNormalID(corner, norm);
    SetSpecified(corner, true);
}

void MNNormalFace::SpecifyAll(bool value) {
    for (int c = 0; c < mDegree; ++c)
        SetSpecified(c, value);
}
