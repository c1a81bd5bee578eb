#include "orlo/CoreServices/Implementations/ULogSlot.h"

namespace orlo {

void ULogSlot::Begin() {
    if (ILog* target = GetTarget())
        target->Begin();
}

void ULogSlot::Write(const UBaseString<unsigned char>& text) {
    if (ILog* target = GetTarget())
        target->Write(text);
}

void ULogSlot::End() {
    if (ILog* target = GetTarget())
        target->End();
}

ILog* ULogSlot::GetTarget() {
    ULockScope scope(m_lock);
    return m_target;
}

ULogSlot* ULogSlot::GetSlot(int index) {
    static ULogSlot slots[SLOT_COUNT];
    if (index < 0 || index >= SLOT_COUNT)
        index = 0;
    ULogSlot* slot = &slots[index];
    ULockScope scope(slot->m_lock);
    return slot;
}

ILog* ULogSlot::SetTarget(int index, ILog* target) {
    if (index < 0 || index >= SLOT_COUNT)
        return nullptr;
    ULogSlot* slot = GetSlot(index);
    ULockScope scope(slot->m_lock);
    ILog* previous = slot->m_target;
    slot->m_target = target;
    return previous;
}

} // namespace orlo
