// maxsim-run: one session of the stand-in host.
#include <iostream>
#include <string>
#include <vector>

#include "max.h"

#include "HostInterface.h"
#include "HostSession.h"
#include "log.h"

namespace {
const char* TypeName(DWORD type) {
    if (type & SYSLOG_ERROR)
        return "error";
    if (type & SYSLOG_WARN)
        return "warning";
    if (type & SYSLOG_INFO)
        return "info";
    return "debug";
}

// One line per entry: line breaks inside an entry are written as \n.
void PrintEntry(const maxsim::SystemLog::Entry& entry) {
    std::string line;
    for (size_t i = 0; i < entry.text.size(); ++i) {
        const char c = entry.text[i];
        if (c == '\r')
            continue;
        if (c == '\n') {
            if (i + 1 < entry.text.size())
                line += "\\n";
            continue;
        }
        line += c;
    }
    std::cerr << TypeName(entry.type) << ": " << line << "\n";
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::vector<HostAction> actions;
    std::string error;
    if (!HostSession::Parse(words, actions, error)) {
        std::cerr << "maxsim-run: " << error << "\n" << HostSession::Usage();
        return 2;
    }
    maxsim::HostInterface::Instance().GetLog().SetSink(PrintEntry);
    int status = 1;
    {
        HostSession session(std::cout, std::cerr);
        status = session.Run(actions);
        session.End();
        if (!session.RulesKeptToTheEnd())
            status = HostSession::kBrokenHostRule;
    }
    maxsim::HostInterface::Instance().GetLog().SetSink(nullptr);
    return status;
}
