#pragma once

namespace orlo {

// The only owner of a stream: destroying the handle destroys the stream. An
// empty handle holds none. Ownership moves with the handle, or out of it
// through Release().
template <class S>
class TStreamHandle {
public:
    TStreamHandle() = default;
    explicit TStreamHandle(S* stream) : m_stream(stream) {}
    TStreamHandle(const TStreamHandle&) = delete;
    TStreamHandle& operator=(const TStreamHandle&) = delete;
    TStreamHandle(TStreamHandle&& other) noexcept : m_stream(other.Release()) {}
    TStreamHandle& operator=(TStreamHandle&& other) noexcept {
        if (this != &other) {
            S* stream = other.Release();
            delete m_stream;
            m_stream = stream;
        }
        return *this;
    }
    ~TStreamHandle() noexcept(false) { delete m_stream; }

    S* Get() const { return m_stream; }
    S* operator->() const { return m_stream; }
    S& operator*() const { return *m_stream; }
    bool IsEmpty() const { return m_stream == nullptr; }
    explicit operator bool() const { return m_stream != nullptr; }

    // Hands the stream to the caller, who owns it from now on.
    S* Release() {
        S* stream = m_stream;
        m_stream = nullptr;
        return stream;
    }

private:
    S* m_stream = nullptr;
};

} // namespace orlo
