#include "orlo/CoreServices/Implementations/ULogChannel.h"

#include <cstring>

namespace orlo {

namespace {
// Both prefixes are nine characters, so continuation lines line up under the text.
const char kDebugPrefix[] = "DEBUG:   ";
const char kWarningPrefix[] = "WARNING: ";
const char kIndent[] = "         ";
const char kLineEnd[] = "\r\n";

// Outputs are the host's code and the caller's: whatever one of them raises
// stays here, so that the other outputs still get the message, the message
// still ends and the channel's lock is always left.
template <class TCall>
void CallEach(ILog* const* outputs, int count, TCall call) {
    for (int i = 0; i < count; ++i) {
        try {
            call(outputs[i]);
        } catch (...) {
        }
    }
}
} // namespace

ULogChannel::ULogChannel(Kind kind) : m_kind(kind) {}

ULogChannel::~ULogChannel() noexcept(false) {
    if (m_open)
        End();
}

void ULogChannel::Begin() {
    m_lock.Enter();
    m_open = true;
    CallEach(m_outputs, m_outputCount, [](ILog* output) { output->Begin(); });
    if (m_kind == KIND_DEBUG)
        WriteToOutputs(kDebugPrefix, sizeof(kDebugPrefix) - 1);
    else if (m_kind == KIND_WARNING)
        WriteToOutputs(kWarningPrefix, sizeof(kWarningPrefix) - 1);
}

void ULogChannel::Write(const UBaseString<unsigned char>& text) {
    if (m_kind == KIND_PLAIN)
        WriteToOutputs(text);
    else if (m_kind == KIND_DEBUG || m_kind == KIND_WARNING)
        WriteIndented(text);
}

void ULogChannel::End() {
    if (m_kind != KIND_NULL)
        WriteToOutputs(kLineEnd, sizeof(kLineEnd) - 1);
    CallEach(m_outputs, m_outputCount, [](ILog* output) { output->End(); });
    m_open = false;
    m_lock.Leave();
}

int ULogChannel::AddOutput(ILog* output) {
    ULockScope scope(m_lock);
    if (m_outputCount >= MAX_OUTPUTS)
        return -1;
    m_outputs[m_outputCount] = output;
    return m_outputCount++;
}

void ULogChannel::WriteToOutputs(const UBaseString<unsigned char>& text) {
    if (!m_enabled)
        return;
    CallEach(m_outputs, m_outputCount, [&text](ILog* output) { output->Write(text); });
}

void ULogChannel::WriteToOutputs(const char* text, size_t length) {
    if (!m_enabled || m_outputCount == 0)
        return;
    try {
        WriteToOutputs(UBaseString<unsigned char>::FromBytes(text, length));
    } catch (const ErrorDescription&) {
        // Logging never raises: a piece that cannot be stored is dropped.
    }
}

void ULogChannel::WriteIndented(const UBaseString<unsigned char>& text) {
    const char* position = text.c_str();
    for (;;) {
        const char* lineEnd = strstr(position, kLineEnd);
        if (lineEnd == nullptr) {
            WriteToOutputs(position, strlen(position));
            return;
        }
        WriteToOutputs(position, size_t(lineEnd + 2 - position));
        WriteToOutputs(kIndent, sizeof(kIndent) - 1);
        position = lineEnd + 2;
    }
}

} // namespace orlo
