#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "orlo/CoreServices/Implementations/ULogChannelSet.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Implementations/ULogSlot.h"

#if defined(_GLIBCXX_HAS_GTHREADS)
#include <atomic>
#include <chrono>
#include <thread>
#endif

using orlo::ILog;
using orlo::ULogChannel;
using orlo::ULogChannelSet;
using orlo::ULogMessage;
using orlo::ULogSlot;
using orlo::UString;

namespace {

using Events = std::vector<std::string>;

// A log target that records what reaches it; "<" and ">" mark Begin and End.
class RecordingLog : public ILog {
public:
    void Lock() override {}
    void Unlock() override {}
    void Begin() override { events.push_back("<"); }
    void Write(const UString& text) override { events.push_back(text.c_str()); }
    void End() override { events.push_back(">"); }

    // Everything written, Begin and End left out.
    std::string Text() const {
        std::string text;
        for (const std::string& event : events)
            if (event != "<" && event != ">")
                text += event;
        return text;
    }

    Events events;
};

// Gives every output slot a recording target for the length of a test.
class SlotTargets {
public:
    SlotTargets() {
        for (int i = 0; i < ULogSlot::SLOT_COUNT; ++i)
            m_previous[i] = ULogSlot::SetTarget(i, &logs[i]);
    }
    ~SlotTargets() {
        for (int i = 0; i < ULogSlot::SLOT_COUNT; ++i)
            ULogSlot::SetTarget(i, m_previous[i]);
    }
    RecordingLog logs[ULogSlot::SLOT_COUNT];

private:
    ILog* m_previous[ULogSlot::SLOT_COUNT];
};

void Send(ILog* channel, const char* text) {
    ULogMessage message(channel, text);
}

TEST(ULogChannel, EachKindFormatsItsMessages) {
    struct Case {
        ULogChannel::Kind kind;
        const char* text;
        Events expected;
    };
    const Case cases[] = {
        {ULogChannel::KIND_NULL, "dropped", {"<", ">"}},
        {ULogChannel::KIND_PLAIN, "one\r\ntwo", {"<", "one\r\ntwo", "\r\n", ">"}},
        {ULogChannel::KIND_DEBUG, "single line", {"<", "DEBUG:   ", "single line", "\r\n", ">"}},
        {ULogChannel::KIND_DEBUG,
         "first\r\nsecond\r\nthird",
         {"<", "DEBUG:   ", "first\r\n", "         ", "second\r\n", "         ", "third", "\r\n", ">"}},
        {ULogChannel::KIND_WARNING,
         "Can't handle file \"a.qro\".\r\nSome data is missing.",
         {"<", "WARNING: ", "Can't handle file \"a.qro\".\r\n", "         ", "Some data is missing.", "\r\n", ">"}},
        {ULogChannel::KIND_WARNING, "ends\r\n", {"<", "WARNING: ", "ends\r\n", "         ", "", "\r\n", ">"}},
        {ULogChannel::KIND_DEBUG, "lone\n and \r stay", {"<", "DEBUG:   ", "lone\n and \r stay", "\r\n", ">"}},
    };
    for (const Case& c : cases) {
        ULogChannel channel(c.kind);
        RecordingLog output;
        channel.AddOutput(&output);
        Send(&channel, c.text);
        EXPECT_EQ(output.events, c.expected) << c.text;
        EXPECT_FALSE(channel.IsOpen());
    }
}

TEST(ULogChannel, AtMostFourOutputsEachGetTheWholeMessage) {
    ULogChannel channel(ULogChannel::KIND_WARNING);
    RecordingLog outputs[5];
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(channel.AddOutput(&outputs[i]), i);
    EXPECT_EQ(channel.AddOutput(&outputs[4]), -1);
    EXPECT_EQ(channel.GetOutputCount(), 4);
    Send(&channel, "a\r\nb");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(outputs[i].Text(), "WARNING: a\r\n         b\r\n");
    EXPECT_TRUE(outputs[4].events.empty());
}

TEST(ULogChannel, ADisabledChannelWritesNoText) {
    ULogChannel channel(ULogChannel::KIND_PLAIN);
    RecordingLog output;
    channel.AddOutput(&output);
    channel.SetEnabled(false);
    Send(&channel, "quiet");
    EXPECT_EQ(output.events, (Events{"<", ">"}));
}

TEST(ULogChannel, DestroyingAnOpenChannelEndsItsMessage) {
    RecordingLog output;
    {
        ULogChannel channel(ULogChannel::KIND_PLAIN);
        channel.AddOutput(&output);
        channel.Begin();
        channel.Write("unfinished");
        EXPECT_TRUE(channel.IsOpen());
    }
    EXPECT_EQ(output.events, (Events{"<", "unfinished", "\r\n", ">"}));
}

#if defined(_GLIBCXX_HAS_GTHREADS)
TEST(ULogChannel, AMessageHoldsTheChannelUntilItEnds) {
    ULogChannel channel(ULogChannel::KIND_PLAIN);
    RecordingLog output;
    channel.AddOutput(&output);
    std::atomic<bool> started{false};
    std::thread other;
    {
        ULogMessage first(&channel, "first");
        other = std::thread([&] {
            started = true;
            Send(&channel, "second");
        });
        while (!started)
            std::this_thread::yield();
        // The other thread is now waiting for this message to end.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    other.join();
    EXPECT_EQ(output.events, (Events{"<", "first", "\r\n", ">", "<", "second", "\r\n", ">"}));
}
#endif

// An output that raises from one of its calls, an error of the library's
// own or anything else.
class RaisingLog : public RecordingLog {
public:
    enum Call { BEGIN, WRITE, END };
    RaisingLog(Call call, bool libraryError) : m_call(call), m_libraryError(libraryError) {}
    void Begin() override {
        RecordingLog::Begin();
        RaiseIf(BEGIN);
    }
    void Write(const UString& text) override {
        RecordingLog::Write(text);
        RaiseIf(WRITE);
    }
    void End() override {
        RecordingLog::End();
        RaiseIf(END);
    }

private:
    void RaiseIf(Call call) {
        if (call != m_call)
            return;
        if (m_libraryError)
            ORLO_RAISE("output failed");
        throw 7;
    }
    Call m_call;
    bool m_libraryError;
};

TEST(ULogChannel, ARaisingOutputNeitherEscapesNorKeepsTheLock) {
    for (RaisingLog::Call call : {RaisingLog::BEGIN, RaisingLog::WRITE, RaisingLog::END}) {
        for (bool libraryError : {true, false}) {
            for (ULogChannel::Kind kind : {ULogChannel::KIND_PLAIN, ULogChannel::KIND_WARNING}) {
                const std::string row = "call " + std::to_string(call) + (libraryError ? " library" : " other") +
                                        " kind " + std::to_string(kind);
                ULogChannel channel(kind);
                RaisingLog raising(call, libraryError);
                RecordingLog after;
                channel.AddOutput(&raising);
                channel.AddOutput(&after);
                EXPECT_NO_THROW(Send(&channel, "text")) << row;
                EXPECT_FALSE(channel.IsOpen()) << row;
                // The output after the raising one got the whole message.
                ASSERT_FALSE(after.events.empty()) << row;
                EXPECT_EQ(after.events.front(), "<") << row;
                EXPECT_EQ(after.events.back(), ">") << row;
                EXPECT_NE(after.Text().find("text\r\n"), std::string::npos) << row;
#if defined(_GLIBCXX_HAS_GTHREADS)
                // Another thread can take the channel: nothing kept its lock.
                std::thread other([&] { Send(&channel, "next"); });
                other.join();
                EXPECT_NE(after.Text().find("next"), std::string::npos) << row;
#endif
            }
        }
    }
}

TEST(ULogMessage, ARaisingChannelNeitherEscapesNorSkipsTheEnd) {
    for (RaisingLog::Call call : {RaisingLog::BEGIN, RaisingLog::WRITE, RaisingLog::END}) {
        for (bool libraryError : {true, false}) {
            RaisingLog channel(call, libraryError);
            EXPECT_NO_THROW(Send(&channel, "text")) << call << libraryError;
            // Begun and ended as a pair, or not begun at all.
            const Events expected = call == RaisingLog::BEGIN ? Events{"<"} : Events{"<", "text", ">"};
            EXPECT_EQ(channel.events, expected) << call << libraryError;
        }
    }
}

TEST(ULogMessage, AccumulatesTextAndWritesItOnce) {
    ULogChannel channel(ULogChannel::KIND_PLAIN);
    RecordingLog output;
    channel.AddOutput(&output);
    {
        ULogMessage message(&channel, "memory allocation of ");
        message += 100u;
        message += UString(" bytes from location \"");
        message += "global operator new[]";
        message += "\" failed";
        EXPECT_EQ(output.events, Events{"<"}); // begun, nothing written yet
    }
    EXPECT_EQ(
        output.events,
        (Events{"<", "memory allocation of 100 bytes from location \"global operator new[]\" failed", "\r\n", ">"}));

    output.events.clear();
    { ULogMessage fromString(&channel, UString("from a string")); }
    EXPECT_EQ(output.Text(), "from a string\r\n");
}

TEST(ULogMessage, AMessageForNoChannelDoesNothing) {
    ULogMessage message(nullptr, "nowhere");
    message += "more";
    message += 5u;
    EXPECT_EQ(message.GetText().Num(), 0);
}

TEST(ULogSlot, SlotsForwardToTheirTargetAndDropWithoutOne) {
    ULogSlot* slot = ULogSlot::GetSlot(6);
    ILog* previous = ULogSlot::SetTarget(6, nullptr);
    Send(slot, "nobody listens");

    RecordingLog target;
    EXPECT_EQ(ULogSlot::SetTarget(6, &target), nullptr);
    EXPECT_EQ(slot->GetTarget(), &target);
    Send(slot, "heard");
    EXPECT_EQ(target.events, (Events{"<", "heard", ">"}));
    EXPECT_EQ(ULogSlot::SetTarget(6, previous), &target);
}

TEST(ULogSlot, IndicesOutsideTheRangeMeanSlotZeroOrNothing) {
    EXPECT_EQ(ULogSlot::GetSlot(8), ULogSlot::GetSlot(0));
    EXPECT_EQ(ULogSlot::GetSlot(-1), ULogSlot::GetSlot(0));
    EXPECT_NE(ULogSlot::GetSlot(7), ULogSlot::GetSlot(0));

    RecordingLog target;
    EXPECT_EQ(ULogSlot::SetTarget(8, &target), nullptr);
    EXPECT_EQ(ULogSlot::SetTarget(-1, &target), nullptr);
    for (int i = 0; i < ULogSlot::SLOT_COUNT; ++i)
        EXPECT_NE(ULogSlot::GetSlot(i)->GetTarget(), &target) << i;
}

TEST(ULogChannelSet, ChannelsReachTheirSlotsInAttachmentOrder) {
    SlotTargets slots;
    ULogChannelSet channels;
    channels.AttachToSlots();
    struct Case {
        int channel;
        std::vector<int> slots;
        const char* text;
    };
    const Case cases[] = {
        {0, {}, ""},
        {1, {1}, "m\r\n"},
        {2, {1, 2}, "DEBUG:   m\r\n"},
        {3, {3, 1}, "m\r\n"},
        {4, {1, 3, 4}, "m\r\n"},
        {5, {5, 1}, "m\r\n"},
        {6, {1, 3, 6}, "m\r\n"},
        {7, {1, 7, 4}, "WARNING: m\r\n"},
    };
    for (const Case& c : cases) {
        ULogChannel* channel = channels.GetChannel(c.channel);
        ASSERT_EQ(channel->GetOutputCount(), int(c.slots.size())) << c.channel;
        for (size_t i = 0; i < c.slots.size(); ++i)
            EXPECT_EQ(channel->GetOutput(int(i)), ULogSlot::GetSlot(c.slots[i])) << c.channel;

        for (RecordingLog& log : slots.logs)
            log.events.clear();
        Send(channel, "m");
        for (int slot = 0; slot < ULogSlot::SLOT_COUNT; ++slot) {
            bool attached = std::find(c.slots.begin(), c.slots.end(), slot) != c.slots.end();
            EXPECT_EQ(slots.logs[slot].Text(), attached ? c.text : "") << "channel " << c.channel << " slot " << slot;
        }
    }
}

TEST(ULogChannelSet, ChannelIndicesOutsideTheRangeGiveTheNullChannel) {
    SlotTargets slots;
    ULogChannelSet channels;
    channels.AttachToSlots();
    EXPECT_EQ(channels.GetChannel(8), channels.GetChannel(0));
    EXPECT_EQ(channels.GetChannel(-1), channels.GetChannel(0));
    EXPECT_EQ(channels.GetChannel(0)->GetKind(), ULogChannel::KIND_NULL);
    Send(channels.GetChannel(8), "lost");
    Send(channels.GetChannel(-1), "lost");
    for (const RecordingLog& log : slots.logs)
        EXPECT_TRUE(log.events.empty());
}

} // namespace
