#pragma once

#include <string>

#include "orlo/CoreServices/Interfaces/ILog.h"

// A log target that keeps everything written to it, for checking messages.
class LogCollector : public orlo::ILog {
public:
    void Lock() override {}
    void Unlock() override {}
    void Begin() override { ++m_messages; }
    void Write(const orlo::UBaseString<unsigned char>& text) override { m_text += text.c_str(); }
    void End() override {}

    const std::string& Text() const { return m_text; }
    int Messages() const { return m_messages; }

private:
    std::string m_text;
    int m_messages = 0;
};
