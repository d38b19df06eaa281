#include "call_log.h"

#include <algorithm>

std::vector<LoggedCall> callLog;

void ClearCallLog() {
    callLog.clear();
}

void LogCall(const char* name, std::vector<double> args) {
    callLog.push_back({name, std::move(args)});
}

std::vector<LoggedCall> CallsNamed(const std::string& name) {
    std::vector<LoggedCall> found;
    for (const LoggedCall& call : callLog) {
        if (call.name == name) {
            found.push_back(call);
        }
    }
    return found;
}

std::vector<std::string> CallNames(const std::vector<std::string>& ignored) {
    std::vector<std::string> names;
    for (const LoggedCall& call : callLog) {
        if (std::find(ignored.begin(), ignored.end(), call.name) == ignored.end()) {
            names.push_back(call.name);
        }
    }
    return names;
}
