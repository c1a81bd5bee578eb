#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"

using orlo::IInputStream;
using orlo::IOutputStream;
using orlo::TStreamHandle;
using orlo::UInputStream_Memory;
using orlo::UOutputStream_Memory;

namespace {

// Reports its own destruction, to show who destroys a stream.
class WatchedStream : public UOutputStream_Memory {
public:
    explicit WatchedStream(int* destroyed) : UOutputStream_Memory("watched"), m_destroyed(destroyed) {}
    ~WatchedStream() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

TEST(TStreamHandle, TheHandleIsTheStreamsOnlyOwner) {
    int destroyed = 0;
    { TStreamHandle<IOutputStream> handle(new WatchedStream(&destroyed)); }
    EXPECT_EQ(destroyed, 1);

    {
        TStreamHandle<IOutputStream> empty;
        EXPECT_TRUE(empty.IsEmpty());
    }

    IOutputStream* taken = nullptr;
    {
        TStreamHandle<IOutputStream> handle(new WatchedStream(&destroyed));
        taken = handle.Release();
        EXPECT_TRUE(handle.IsEmpty());
    }
    EXPECT_EQ(destroyed, 1); // the caller owns it now
    delete taken;
    EXPECT_EQ(destroyed, 2);

    {
        TStreamHandle<IOutputStream> first(new WatchedStream(&destroyed));
        TStreamHandle<IOutputStream> second(new WatchedStream(&destroyed));
        second = static_cast<TStreamHandle<IOutputStream>&&>(first); // the stream it held goes
        EXPECT_EQ(destroyed, 3);
        EXPECT_TRUE(first.IsEmpty());
        EXPECT_FALSE(second.IsEmpty());
    }
    EXPECT_EQ(destroyed, 4);
}

TEST(UInputStream_Memory, ReadsAndSeeksWithinItsBytes) {
    const char text[] = "0123456789";
    UInputStream_Memory stream("memory.qro", text, 10);
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_STREQ(stream.GetName().c_str(), "memory.qro");
    EXPECT_EQ(stream.GetSize(), 10u);

    char buffer[16] = {};
    EXPECT_EQ(stream.Serialize(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(stream.GetPosition(), 4u);
    EXPECT_TRUE(stream.SeekForward(3));
    EXPECT_EQ(stream.Serialize(buffer, 16), 3u); // only what is left
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_TRUE(stream.IsAtEnd());
    EXPECT_FALSE(stream.HasFailed());
    EXPECT_EQ(stream.Serialize(buffer, 1), 0u);

    EXPECT_TRUE(stream.SeekBackward(2));
    EXPECT_EQ(stream.GetPosition(), 8u);
    EXPECT_TRUE(stream.SeekToStart());
    EXPECT_EQ(stream.GetPosition(), 0u);
    EXPECT_TRUE(stream.SeekToEnd());
    EXPECT_EQ(stream.GetPosition(), 10u);
}

// The archive's members are served by this stream too: a seek past either
// end fails and stops at that end, as a member's seek always has.
TEST(UInputStream_Memory, SeeksOutsideTheBytesFailAtTheEndTheyRunInto) {
    UInputStream_Memory stream("m", "abc", 3);
    EXPECT_TRUE(stream.SeekForward(2));
    EXPECT_FALSE(stream.SeekForward(2));
    EXPECT_TRUE(stream.HasFailed());
    EXPECT_EQ(stream.GetPosition(), 3u);
    EXPECT_FALSE(stream.HasFailed()); // the next good call clears the flag
    EXPECT_TRUE(stream.SeekBackward(1));
    EXPECT_FALSE(stream.SeekBackward(3));
    EXPECT_TRUE(stream.HasFailed());
    EXPECT_EQ(stream.GetPosition(), 0u);
    EXPECT_FALSE(stream.SeekForward(UINT64_MAX));
    EXPECT_EQ(stream.GetPosition(), 3u);
    char byte;
    EXPECT_EQ(stream.Serialize(&byte, 1), 0u);
}

TEST(UInputStream_Memory, AfterCloseEveryReadFails) {
    UInputStream_Memory stream("m", "abc", 3);
    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
    char buffer[4];
    EXPECT_EQ(stream.Serialize(buffer, 3), 0u);
    EXPECT_TRUE(stream.HasFailed());
    EXPECT_FALSE(stream.SeekToStart());
    EXPECT_EQ(stream.GetSize(), 0u);
    EXPECT_TRUE(stream.HasFailed());
}

TEST(UOutputStream_Memory, CollectsWritesAndFailsShortOnes) {
    UOutputStream_Memory stream("out", 8);
    EXPECT_EQ(stream.Serialize("version ", 8), 8u);
    EXPECT_FALSE(stream.HasFailed());
    EXPECT_EQ(stream.Serialize("1\r\n", 3), 0u); // full
    EXPECT_TRUE(stream.HasFailed());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.GetBytes()), size_t(stream.GetLength())), "version ");

    UOutputStream_Memory partial("out", 5);
    EXPECT_EQ(partial.Serialize("abcdefgh", 8), 5u);
    EXPECT_TRUE(partial.HasFailed());
    EXPECT_TRUE(partial.Flush());
    EXPECT_FALSE(partial.HasFailed());

    partial.Close();
    EXPECT_FALSE(partial.IsOpen());
    EXPECT_EQ(partial.Serialize("x", 1), 0u);
    EXPECT_TRUE(partial.HasFailed());
    EXPECT_EQ(partial.GetLength(), 5u); // what was written stays readable
}

TEST(UOutputStream_Memory, GrowsAcrossManyWrites) {
    UOutputStream_Memory stream("out");
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        std::string piece("\t");
        piece += std::to_string(i);
        piece += "\r\n";
        stream.Serialize(piece.data(), piece.size());
        expected += piece;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.GetBytes()), size_t(stream.GetLength())), expected);
}

} // namespace
