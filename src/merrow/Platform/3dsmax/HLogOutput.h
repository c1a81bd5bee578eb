#pragma once

// A log target that hands messages to the host's system log, as entries of
// one type (information, warning or error). Attach it to an output slot:
//
//   static merrow::platform_3dsmax::HLogOutput warnings(SYSLOG_WARN);
//   orlo::GetCoreServices()->SetLogTarget(7, &warnings);

#include <cstddef>
#include <cstdint>

#include "orlo/CoreServices/Implementations/ULock.h"
#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/Utils/UBaseString.h"

namespace merrow::platform_3dsmax {

class HLogOutput : public orlo::ILog {
public:
    explicit HLogOutput(uint32_t hostLogType) : m_hostLogType(hostLogType) {}
    ~HLogOutput() noexcept(false) override = default;
    HLogOutput(const HLogOutput&) = delete;
    HLogOutput& operator=(const HLogOutput&) = delete;

    void Lock() override { m_lock.Enter(); }
    void Unlock() override { m_lock.Leave(); }
    // A message collects its pieces (a channel's prefix, the text, the line
    // end) and becomes one host log entry at End, without its final line
    // break, so that one message is one line of the host's log.
    void Begin() override;
    void Write(const orlo::UBaseString<unsigned char>& text) override;
    void End() override;
    // A piece that goes to the host without being copied: a report written
    // when there is no memory left for a copy. What the open message
    // collected goes first, as an entry of its own.
    void WriteUncopied(const char* text);

private:
    // The text goes to the host exactly as it is: never read as a format.
    void HandToHost(const char* text, size_t length);

    orlo::ULock m_lock;
    uint32_t m_hostLogType;
    bool m_open = false;
    orlo::UBaseString<unsigned char> m_message;
};

} // namespace merrow::platform_3dsmax
