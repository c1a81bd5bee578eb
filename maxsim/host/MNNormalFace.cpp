#include "max.h"

#include "MNNormalSpec.h"

void MNNormalFace::Clear() {
    mNormalID.clear();
    mSpecified.clear();
}

void MNNormalFace::SetDegree(int degree) {
    if (degree < 0)
        degree = 0;
    mNormalID.resize(size_t(degree), -1);
    mSpecified.resize(size_t(degree), false);
}

int MNNormalFace::GetNormalID(int corner) const {
    if (corner < 0 || corner >= GetDegree())
        return -1;
    return mNormalID[size_t(corner)];
}

void MNNormalFace::SetNormalID(int corner, int norm) {
    if (corner >= 0 && corner < GetDegree())
        mNormalID[size_t(corner)] = norm;
}

bool MNNormalFace::GetSpecified(int corner) const {
    return corner >= 0 && corner < GetDegree() && mSpecified[size_t(corner)];
}

void MNNormalFace::SetSpecified(int corner, bool value) {
    if (corner >= 0 && corner < GetDegree())
        mSpecified[size_t(corner)] = value;
}

void MNNormalFace::SpecifyNormalID(int corner, int norm) {
    SetNormalID(corner, norm);
    SetSpecified(corner, true);
}

void MNNormalFace::SpecifyAll(bool value) {
    mSpecified.assign(mSpecified.size(), value);
}
