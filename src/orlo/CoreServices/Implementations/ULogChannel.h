#pragma once

#include "orlo/CoreServices/Implementations/ULock.h"
#include "orlo/CoreServices/Interfaces/ILog.h"

namespace orlo {

// A log channel: formats a message by its kind and forwards it to up to four
// outputs. A message holds the channel's lock from Begin to End, so that its
// prefix, text and line end reach every output together.
class ULogChannel : public ILog {
public:
    enum Kind {
        KIND_NULL,    // forwards Begin and End only
        KIND_PLAIN,   // the text unchanged, then "\r\n"
        KIND_DEBUG,   // "DEBUG:   ", the text with continuation lines indented, "\r\n"
        KIND_WARNING, // "WARNING: ", the text with continuation lines indented, "\r\n"
    };

    static constexpr int MAX_OUTPUTS = 4;

    explicit ULogChannel(Kind kind);
    // Ends a message that is still open.
    ~ULogChannel() noexcept(false) override;
    ULogChannel(const ULogChannel&) = delete;
    ULogChannel& operator=(const ULogChannel&) = delete;

    void Lock() override { m_lock.Enter(); }
    void Unlock() override { m_lock.Leave(); }
    void Begin() override;
    void Write(const UBaseString<unsigned char>& text) override;
    void End() override;

    // Attaches an output; returns its index, or -1 when four are attached.
    int AddOutput(ILog* output);
    int GetOutputCount() const { return m_outputCount; }
    ILog* GetOutput(int index) const { return m_outputs[index]; }

    Kind GetKind() const { return m_kind; }
    bool IsOpen() const { return m_open; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

private:
    void WriteToOutputs(const UBaseString<unsigned char>& text);
    void WriteToOutputs(const char* text, size_t length);
    // Writes line by line, each "\r\n" followed by the nine-blank indent.
    void WriteIndented(const UBaseString<unsigned char>& text);

    Kind m_kind;
    ULock m_lock;
    ILog* m_outputs[MAX_OUTPUTS] = {};
    int m_outputCount = 0;
    bool m_open = false;
    bool m_enabled = true;
};

} // namespace orlo
