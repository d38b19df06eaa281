// The recording layer shared by the GL and media substitutes: every call the
// show makes lands here, in order, with its arguments.
#pragma once

#include <string>
#include <vector>

struct LoggedCall {
    std::string name;
    std::vector<double> args;
};

extern std::vector<LoggedCall> callLog;

void ClearCallLog();
void LogCall(const char* name, std::vector<double> args = {});

// The calls named `name`, in order.
std::vector<LoggedCall> CallsNamed(const std::string& name);
// The names of all calls, in order, leaving out those in `ignored`.
std::vector<std::string> CallNames(const std::vector<std::string>& ignored = {});
