#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"

// Passes every call to the stream it owns and remembers whether a read ever
// came back short before the end of the stream. The reader takes what a
// stream delivers as the whole file; qro must not call a file "ok" when part
// of it never arrived, and the failure flag cannot tell afterwards, because
// the next successful call clears it.
class QroCheckedInputStream : public orlo::IInputStream {
public:
    explicit QroCheckedInputStream(orlo::TStreamHandle<orlo::IInputStream>&& stream);

    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override { m_stream->Close(); }
    bool IsOpen() const override { return m_stream->IsOpen(); }
    orlo::UBaseString<unsigned char> GetName() const override { return m_stream->GetName(); }
    uint64_t GetSize() override { return Passed(m_stream->GetSize()); }
    uint64_t GetPosition() override { return Passed(m_stream->GetPosition()); }
    bool SeekToStart() override { return Passed(m_stream->SeekToStart()); }
    bool SeekToEnd() override { return Passed(m_stream->SeekToEnd()); }
    bool SeekForward(uint64_t count) override { return Passed(m_stream->SeekForward(count)); }
    bool SeekBackward(uint64_t count) override { return Passed(m_stream->SeekBackward(count)); }
    bool IsAtEnd() override { return m_stream->IsAtEnd(); }

    bool HadShortRead() const { return m_shortRead; }

private:
    template <class R>
    R Passed(R result) {
        m_failed = m_stream->HasFailed();
        return result;
    }

    orlo::TStreamHandle<orlo::IInputStream> m_stream;
    bool m_shortRead = false;
};
