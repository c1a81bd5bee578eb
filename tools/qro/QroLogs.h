#pragma once

#include "QroStderrLog.h"
#include "orlo/CoreServices/Interfaces/ILog.h"

// The log channels of a qro run: the core services' channels, with the
// standard error stream behind output slot 1, which every channel but the null
// one reaches, so each message arrives there once.
class QroLogs {
public:
    QroLogs();
    ~QroLogs();
    QroLogs(const QroLogs&) = delete;
    QroLogs& operator=(const QroLogs&) = delete;

    orlo::ILog* GetChannel(int index);

private:
    QroStderrLog m_stderr;
    orlo::ILog* m_previousTarget;
};
