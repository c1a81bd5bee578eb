#pragma once

#include "orlo/CoreServices/Interfaces/ILog.h"

// A log target that writes to the standard error stream, with the logs'
// "\r\n" line ends turned into the console's own.
class QroStderrLog : public orlo::ILog {
public:
    void Lock() override {}
    void Unlock() override {}
    void Begin() override {}
    void Write(const orlo::UBaseString<unsigned char>& text) override;
    void End() override;
};
