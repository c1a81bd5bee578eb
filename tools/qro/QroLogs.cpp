#include "QroLogs.h"

#include "orlo/CoreServices/Interfaces/ICoreServices.h"

QroLogs::QroLogs() {
    m_previousTarget = orlo::GetCoreServices()->SetLogTarget(1, &m_stderr);
}

QroLogs::~QroLogs() {
    orlo::GetCoreServices()->SetLogTarget(1, m_previousTarget);
}

orlo::ILog* QroLogs::GetChannel(int index) {
    return orlo::GetCoreServices()->GetLogChannel(index);
}
