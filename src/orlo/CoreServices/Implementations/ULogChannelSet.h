#pragma once

#include "orlo/CoreServices/Implementations/ULogChannel.h"

namespace orlo {

// The eight numbered channels of the core services: 0 null, 1 plain, 2 debug,
// 3 to 6 plain, 7 warning.
class ULogChannelSet {
public:
    static constexpr int CHANNEL_COUNT = 8;

    ULogChannelSet();
    // Destroys the channels in reverse order.
    ~ULogChannelSet();
    ULogChannelSet(const ULogChannelSet&) = delete;
    ULogChannelSet& operator=(const ULogChannelSet&) = delete;

    // An index outside 0..7 gives channel 0, which drops everything.
    ULogChannel* GetChannel(int index);

    // Attaches the channels to the process-wide output slots:
    // 1 <- 1; 2 <- 1, 2; 3 <- 3, 1; 4 <- 1, 3, 4; 5 <- 5, 1; 6 <- 1, 3, 6; 7 <- 1, 7, 4.
    void AttachToSlots();

private:
    alignas(ULogChannel) unsigned char m_storage[CHANNEL_COUNT][sizeof(ULogChannel)];
    ULogChannel* m_channels[CHANNEL_COUNT];
};

} // namespace orlo
