// maxsim-run: one session of the stand-in host.
#include <iostream>
#include <string>
#include <vector>

#include "UCoreInterface.h"
#include "UHostSession.h"
#include "log.h"

namespace
{
const char* TypeName(DWORD type)
{
    if (type & SYSLOG_ERROR)
        return "error";
    if (type & SYSLOG_WARN)
        return "warning";
    if (type & SYSLOG_INFO)
        return "info";
    return "debug";
}

// One line per entry: line breaks inside an entry are written as \n.
void PrintEntry(const maxsim::ULogSys::Entry& entry)
{
    std::string line;
    for (size_t i = 0; i < entry.text.size(); ++i)
    {
        const char c = entry.text[i];
        if (c == '\r')
            continue;
        if (c == '\n')
        {
            if (i + 1 < entry.text.size())
                line += "\\n";
            continue;
        }
        line += c;
    }
    std::cerr << TypeName(entry.type) << ": " << line << "\n";
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    std::vector<UHostAction> actions;
    std::string error;
    if (!UHostSession::Parse(words, actions, error))
    {
        std::cerr << "maxsim-run: " << error << "\n" << UHostSession::Usage();
        return 2;
    }
    maxsim::UCoreInterface::Instance().GetLog().SetSink(PrintEntry);
    int status = 1;
    {
        UHostSession session(std::cout, std::cerr);
        status = session.Run(actions);
        session.End();
    }
    maxsim::UCoreInterface::Instance().GetLog().SetSink(nullptr);
    return status;
}
