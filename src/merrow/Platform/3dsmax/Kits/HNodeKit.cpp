#include "merrow/Platform/3dsmax/Kits/HNodeKit.h"

#include "max.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UTable.h"

namespace merrow::platform_3dsmax {

namespace {

using UString = orlo::UBaseString<unsigned char>;

void CountNames(INode* node, orlo::UTable<UString, uint32_t>& nameCounts) {
    UString name(node->GetName());
    if (uint32_t* count = nameCounts.Find(name))
        ++*count;
    else
        nameCounts.Add(name, 1u);
    for (int i = 0; i < node->NumberOfChildren(); ++i)
        if (INode* child = node->GetChildNode(i))
            CountNames(child, nameCounts);
}

UString PathPiece(INode* node) {
    UString piece(node->GetName());
    for (int32_t i = 0; i < piece.Length(); ++i)
        if (piece[i] == '|')
            piece[i] = '_';
    return piece;
}

bool IsBelowRoot(INode* parent) {
    return parent != nullptr && !parent->IsRootNode();
}

} // namespace

HNodeKit::~HNodeKit() = default;

HStatus HNodeKit::SetName(const UString& name) {
    HStatus status;
    INode* node = GetNode();
    if (node == nullptr)
        return status;
    // The host's setter takes a writable text; it gets a copy of its own.
    UString text(name.c_str());
    node->SetName(const_cast<TCHAR*>(text.c_str()));
    if (node->Selected())
        GetCOREInterface()->SelectNode(node, FALSE);
    status.SetCode(HStatus::DONE);
    return status;
}

UString HNodeKit::GetName() {
    INode* node = GetNode();
    if (node == nullptr)
        return UString();
    return UString(node->GetName());
}

const HObject& HNodeKit::GetObject() const {
    return m_object;
}

void HNodeKit::SetObject(const HObject& object) {
    m_object = object;
}

UString HNodeKit::GetUniqueName() {
    INode* node = GetNode();
    if (node == nullptr)
        return UString();
    UString uniqueName(node->GetName());
    orlo::UTable<UString, uint32_t> nameCounts(64);
    CountNames(GetCOREInterface()->GetRootNode(), nameCounts);
    assure(nameCounts.Contains(uniqueName));
    if (*nameCounts.Find(uniqueName) > 1) {
        const uint32_t handle = uint32_t(node->GetHandle());
        do {
            uniqueName += "_";
            uniqueName += handle;
        } while (nameCounts.Contains(uniqueName));
    }
    return uniqueName;
}

UString HNodeKit::GetPathName() {
    INode* node = GetNode();
    if (node == nullptr || node->IsRootNode())
        return UString();
    UString path = PathPiece(node);
    for (INode* ancestor = node->GetParentNode(); IsBelowRoot(ancestor); ancestor = ancestor->GetParentNode())
        path = PathPiece(ancestor) + "|" + path;
    return path;
}

orlo::TMatrix4<float> HNodeKit::GetTransformationMatrix(int32_t space) {
    INode* node = GetNode();
    if (space == TRANSFORM_SPACE_UNSUPPORTED || node == nullptr)
        return orlo::TMatrix4<float>::Identity();
    const TimeValue t = GetCOREInterface()->GetTime();
    Matrix3 tm = node->GetNodeTM(t);
    INode* parent = node->GetParentNode();
    if (space == TRANSFORM_SPACE_PARENT && IsBelowRoot(parent)) {
        Matrix3 parentInverse = parent->GetNodeTM(t);
        parentInverse.Invert();
        tm *= parentInverse;
    }
    return HMatrixConversion::ToMatrix4(tm);
}

HStatus HNodeKit::SetTransformationMatrix(const orlo::TMatrix4<float>& matrix, int32_t space) {
    if (space == TRANSFORM_SPACE_UNSUPPORTED)
        return HStatus(HStatus::NOT_SUPPORTED);
    HStatus status;
    INode* node = GetNode();
    if (node == nullptr)
        return status;
    const TimeValue t = GetCOREInterface()->GetTime();
    Matrix3 tm = HMatrixConversion::ToMatrix3(matrix);
    INode* parent = node->GetParentNode();
    if (space == TRANSFORM_SPACE_PARENT && IsBelowRoot(parent))
        tm *= parent->GetNodeTM(t);
    node->SetNodeTM(t, tm);
    node->InvalidateTM();
    status.SetCode(HStatus::DONE);
    return status;
}

HObject HNodeKit::GetParent(const HObject& object) {
    INode* node = object.GetNode();
    INode* parent = nullptr;
    if (node != nullptr && !node->IsRootNode() && IsBelowRoot(node->GetParentNode()))
        parent = node->GetParentNode();
    return HObject::FromNode(parent);
}

} // namespace merrow::platform_3dsmax
