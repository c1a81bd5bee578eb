#pragma once

#include <cstdint>

namespace merrow::platform_3dsmax {

// The result of a kit operation or a translator run. Every operation starts
// out failed and says done only once it is.
//
//     HStatus status = kit.SetName("Bone01");
//     if (status.GetCode() != HStatus::DONE) ...
class HStatus {
public:
    enum Code : int32_t {
        DONE = 0,
        FAILED = 1,
        NOT_SUPPORTED = 2, // the request, or inputs that do not fit
    };

    HStatus(int32_t code = FAILED) : m_code(code) {}
    virtual ~HStatus();

    int32_t GetCode() const { return m_code; }
    void SetCode(int32_t code) { m_code = code; }
    bool IsDone() const { return m_code == DONE; }

private:
    int32_t m_code;
};

} // namespace merrow::platform_3dsmax
