#pragma once

#include "orlo/CoreServices/Implementations/ULock.h"
#include "orlo/CoreServices/Interfaces/ILog.h"

namespace orlo {

// One of the eight process-wide output slots. A slot forwards to its target
// when one is set and drops the text otherwise; it does not own the target.
class ULogSlot : public ILog {
public:
    static constexpr int SLOT_COUNT = 8;

    void Lock() override { m_lock.Enter(); }
    void Unlock() override { m_lock.Leave(); }
    void Begin() override;
    void Write(const UBaseString<unsigned char>& text) override;
    void End() override;

    ILog* GetTarget();

    // The slots are created together the first time any is asked for and live
    // until the process ends. An index outside 0..7 gives slot 0.
    static ULogSlot* GetSlot(int index);
    // Swaps the target of slot `index` under the slot's lock and returns the
    // previous one; an index outside 0..7 changes nothing and returns none.
    static ILog* SetTarget(int index, ILog* target);

private:
    ULock m_lock;
    ILog* m_target = nullptr;
};

} // namespace orlo
