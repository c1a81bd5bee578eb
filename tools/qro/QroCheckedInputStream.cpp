#include "QroCheckedInputStream.h"

QroCheckedInputStream::QroCheckedInputStream(orlo::TStreamHandle<orlo::IInputStream>&& stream)
    : m_stream(static_cast<orlo::TStreamHandle<orlo::IInputStream>&&>(stream)) {}

uint64_t QroCheckedInputStream::Serialize(void* buffer, uint64_t size) {
    uint64_t streamSize = m_stream->GetSize();
    uint64_t position = m_stream->GetPosition();
    uint64_t expected = position < streamSize ? streamSize - position : 0;
    if (size < expected)
        expected = size;
    uint64_t delivered = m_stream->Serialize(buffer, size);
    if (delivered < expected)
        m_shortRead = true;
    return Passed(delivered);
}
