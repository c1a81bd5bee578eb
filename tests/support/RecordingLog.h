#pragma once

#include <string>
#include <vector>

#include "orlo/CoreServices/Implementations/ULogSlot.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/ILog.h"

namespace orlo_test {

// A log target that keeps what reaches it: the text of every finished
// message, one string each.
class RecordingLog : public orlo::ILog {
public:
    void Lock() override {}
    void Unlock() override {}
    void Begin() override { m_current.clear(); }
    void Write(const orlo::UString& text) override { m_current += text.c_str(); }
    void End() override { m_messages.push_back(m_current); }

    const std::vector<std::string>& Messages() const { return m_messages; }
    std::string All() const {
        std::string all;
        for (const std::string& message : m_messages)
            all += message;
        return all;
    }
    void Clear() { m_messages.clear(); }

private:
    std::string m_current;
    std::vector<std::string> m_messages;
};

// Records what reaches an output slot while it lives.
class SlotCapture {
public:
    explicit SlotCapture(int slot) : m_slot(slot) { m_previous = orlo::ULogSlot::SetTarget(m_slot, &m_log); }
    ~SlotCapture() { orlo::ULogSlot::SetTarget(m_slot, m_previous); }
    SlotCapture(const SlotCapture&) = delete;
    SlotCapture& operator=(const SlotCapture&) = delete;

    const std::vector<std::string>& Messages() const { return m_log.Messages(); }
    std::string All() const { return m_log.All(); }
    void Clear() { m_log.Clear(); }

private:
    int m_slot;
    RecordingLog m_log;
    orlo::ILog* m_previous;
};

// The warnings (channel 7), as their own slot passes them on.
class WarningCapture : public SlotCapture {
public:
    WarningCapture() : SlotCapture(orlo::LOG_SLOT_WARNING) {}
};

// The failures (channel 6): export failures, bind-pose conflicts, files that
// do not open. Their own slot has no target in the plug-in; the host hears
// of them through the information slot that the channel also feeds.
class FailureCapture : public SlotCapture {
public:
    FailureCapture() : SlotCapture(orlo::LOG_SLOT_FAILURE) {}
};

} // namespace orlo_test
