#include "QroCheckedInputStream.h"

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"

namespace {

// A stream whose reads stop after `limit` bytes, as a file does on a read error.
class FailingStream : public orlo::UInputStream_Memory {
public:
    FailingStream(const char* text, uint64_t size, uint64_t limit)
        : UInputStream_Memory("f", text, size), m_limit(limit) {}
    uint64_t Serialize(void* buffer, uint64_t size) override {
        uint64_t room = m_limit - m_delivered;
        uint64_t got = UInputStream_Memory::Serialize(buffer, size < room ? size : room);
        m_delivered += got;
        return got;
    }

private:
    uint64_t m_limit;
    uint64_t m_delivered = 0;
};

orlo::TStreamHandle<orlo::IInputStream> Stream(uint64_t limit) {
    return orlo::TStreamHandle<orlo::IInputStream>(new FailingStream("version 1\r\n", 11, limit));
}

TEST(QroCheckedInputStream, ReadsEndingEarlyAreRemembered) {
    char buffer[32];
    QroCheckedInputStream whole(Stream(11));
    EXPECT_EQ(whole.Serialize(buffer, sizeof(buffer)), 11u); // short only because the stream ends
    EXPECT_EQ(whole.Serialize(buffer, 4), 0u);
    EXPECT_FALSE(whole.HadShortRead());

    QroCheckedInputStream cut(Stream(6));
    EXPECT_EQ(cut.Serialize(buffer, 4), 4u);
    EXPECT_FALSE(cut.HadShortRead());
    EXPECT_EQ(cut.Serialize(buffer, 4), 2u);
    EXPECT_TRUE(cut.HadShortRead());
    EXPECT_TRUE(cut.SeekToStart()); // clears the failure flag, not the record of the short read
    EXPECT_FALSE(cut.HasFailed());
    EXPECT_TRUE(cut.HadShortRead());
}

} // namespace
