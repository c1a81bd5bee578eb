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

// Records what reaches an output slot while it lives: by default the slot of
// the warnings.
class WarningCapture {
public:
    explicit WarningCapture(int slot = orlo::LOG_SLOT_WARNING) : m_slot(slot) {
        m_previous = orlo::ULogSlot::SetTarget(m_slot, &m_log);
    }
    ~WarningCapture() { orlo::ULogSlot::SetTarget(m_slot, m_previous); }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    const std::vector<std::string>& Messages() const { return m_log.Messages(); }
    std::string All() const { return m_log.All(); }
    void Clear() { m_log.Clear(); }

private:
    int m_slot;
    RecordingLog m_log;
    orlo::ILog* m_previous;
};

} // namespace orlo_test
