#include "max.h"

#include "imtl.h"

#include "plugapi.h"

MtlBaseLib::MtlBaseLib() {}

MtlBaseLib::~MtlBaseLib() {
    DeleteAll();
}

SClass_ID MtlBaseLib::SuperClassID() {
    return REF_TARGET_CLASS_ID;
}

// Entries are appended as given; the library does not look for duplicates.
int MtlBaseLib::Add(MtlBase* m) {
    const int at = Count();
    MtlBaseHandle none = nullptr;
    Append(1, &none);
    ReplaceReference(at, m);
    return at;
}

void MtlBaseLib::Remove(MtlBase* m) {
    const int i = FindMtl(m);
    if (i < 0)
        return;
    ReplaceReference(i, nullptr);
    Delete(i, 1);
}

int MtlBaseLib::FindMtl(MtlBase* m) {
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i] == m)
            return i;
    return -1;
}

int MtlBaseLib::FindMtlByName(TSTR& name) {
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i] && (*this)[i]->GetName() == name)
            return i;
    return -1;
}

void MtlBaseLib::DeleteAll() {
    while (Count() > 0) {
        ReplaceReference(Count() - 1, nullptr);
        Delete(Count() - 1, 1);
    }
}

int MtlBaseLib::NumRefs() {
    return Count();
}
RefTargetHandle MtlBaseLib::GetReference(int i) {
    return i >= 0 && i < Count() ? (*this)[i] : nullptr;
}

void MtlBaseLib::SetReference(int i, RefTargetHandle rtarg) {
    if (i >= 0 && i < Count())
        (*this)[i] = static_cast<MtlBase*>(rtarg);
}

RefResult MtlBaseLib::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_STOP;
}
