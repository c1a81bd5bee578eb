#pragma once

#include "QroStderrLog.h"
#include "orlo/CoreServices/Implementations/ULogChannelSet.h"

// The log channels of a qro run, all reaching the standard error stream.
//
// Until the core services exist, qro owns the eight channels itself; once they
// do, this is the one place to switch to the core services' channels.
class QroLogs {
public:
    static constexpr int CHANNEL_UNOPENABLE_FILES = 6;
    static constexpr int CHANNEL_WARNINGS = 7;

    // Attaches the channels to the output slots and puts the standard error
    // stream behind slot 1, which every channel but the null one reaches, so
    // each message arrives there once.
    QroLogs();
    ~QroLogs();
    QroLogs(const QroLogs&) = delete;
    QroLogs& operator=(const QroLogs&) = delete;

    orlo::ILog* GetChannel(int index) { return m_channels.GetChannel(index); }

private:
    QroStderrLog m_stderr;
    orlo::ULogChannelSet m_channels;
    orlo::ILog* m_previousTarget;
};
