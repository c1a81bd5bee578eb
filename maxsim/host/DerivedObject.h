#pragma once
#include "max.h"

#include "modstack.h"
#include <vector>

namespace maxsim {
// A modifier stack over an object. References: 0 the object below, 1 + i
// modifier i (0 the top of the stack). The result of an evaluation is kept
// until something below it changes, so that the object handed out by
// EvalWorldState stays valid while the scene stands still. The result is a
// shallow copy of the object below that owns only the channels its
// modifiers change; it is the stack's, and is deleted with the next result
// or with the stack, whoever still refers to it.
class CoreExport DerivedObject : public IDerivedObject {
public:
    DerivedObject();
    ~DerivedObject() override;

    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;

    void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) override;
    void DeleteModifier(int index = 0) override;
    int NumModifiers() override;
    Modifier* GetModifier(int index) override;
    void SetModifier(int index, Modifier* mod) override;
    ModContext* GetModContext(int index) override;
    ObjectState Eval(TimeValue t) override;
    ObjectState Eval(TimeValue t, int modIndex) override;
    Object* GetObjRef() override;
    RefResult ReferenceObject(Object* pob) override;

    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* FindBaseObject() override;

    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

    void InvalidateCache();
    // The node whose pipeline this is (through enclosing derived objects).
    INode* FindNode();

private:
    struct Cache {
        bool valid = false;
        int modIndex = 0;
        Object* result = nullptr;
        Object* owned = nullptr;
    };

    ObjectState Evaluate(TimeValue t, int modIndex, Cache& cache);
    static void Drop(Cache& cache);

    Object* m_object;
    std::vector<Modifier*> m_modifiers;
    std::vector<ModContext*> m_contexts;
    // Whole-stack results and partial ones are kept apart, so that a partial
    // evaluation does not take away an object someone holds.
    Cache m_full;
    Cache m_partial;
};
} // namespace maxsim
