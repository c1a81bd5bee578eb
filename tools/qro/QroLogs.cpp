#include "QroLogs.h"

#include "orlo/CoreServices/Implementations/ULogSlot.h"

QroLogs::QroLogs() {
    m_channels.AttachToSlots();
    m_previousTarget = orlo::ULogSlot::SetTarget(1, &m_stderr);
}

QroLogs::~QroLogs() {
    orlo::ULogSlot::SetTarget(1, m_previousTarget);
}
