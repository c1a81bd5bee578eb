#include "orlo/CoreServices/Implementations/ULogChannelSet.h"

#include <new>

#include "orlo/CoreServices/Implementations/ULogSlot.h"

namespace orlo {

namespace {
const ULogChannel::Kind kChannelKinds[ULogChannelSet::CHANNEL_COUNT] = {
    ULogChannel::KIND_NULL,  ULogChannel::KIND_PLAIN, ULogChannel::KIND_DEBUG, ULogChannel::KIND_PLAIN,
    ULogChannel::KIND_PLAIN, ULogChannel::KIND_PLAIN, ULogChannel::KIND_PLAIN, ULogChannel::KIND_WARNING,
};

// Output slots of each channel, in attachment order; -1 ends a row.
const int kChannelSlots[ULogChannelSet::CHANNEL_COUNT][ULogChannel::MAX_OUTPUTS] = {
    {-1}, {1, -1}, {1, 2, -1}, {3, 1, -1}, {1, 3, 4, -1}, {5, 1, -1}, {1, 3, 6, -1}, {1, 7, 4, -1},
};
} // namespace

ULogChannelSet::ULogChannelSet() {
    for (int i = 0; i < CHANNEL_COUNT; ++i)
        m_channels[i] = new (m_storage[i]) ULogChannel(kChannelKinds[i]);
}

ULogChannelSet::~ULogChannelSet() {
    for (int i = CHANNEL_COUNT - 1; i >= 0; --i)
        m_channels[i]->~ULogChannel();
}

ULogChannel* ULogChannelSet::GetChannel(int index) {
    if (index < 0 || index >= CHANNEL_COUNT)
        index = 0;
    return m_channels[index];
}

void ULogChannelSet::AttachToSlots() {
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel)
        for (int i = 0; i < ULogChannel::MAX_OUTPUTS && kChannelSlots[channel][i] >= 0; ++i)
            m_channels[channel]->AddOutput(ULogSlot::GetSlot(kChannelSlots[channel][i]));
}

} // namespace orlo
