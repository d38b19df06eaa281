#include "callgrind_share.h"

#include "object_kind.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

// Object names are written once in full as "(id) name", then as "(id)" alone.
std::string ResolveName(const std::string& value, std::map<std::string, std::string>& names) {
    if (value.empty() || value[0] != '(') {
        return value;
    }
    const size_t close = value.find(')');
    const std::string id = value.substr(0, close + 1);
    if (close + 1 < value.size()) {
        names[id] = value.substr(close + 2);
    }
    return names[id];
}

bool IsCostLine(const std::string& line) {
    const char first = line.empty() ? '\0' : line[0];
    return (first >= '0' && first <= '9') || first == '+' || first == '-' || first == '*';
}

} // namespace

bool ReadCallgrindDump(const std::string& path, const std::string& ourObject,
                       InstructionShare& share) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::map<std::string, std::string> objectNames;
    std::map<std::string, double> selfCost; // by object
    std::string currentObject;
    size_t positions = 1; // position columns before the first event
    bool nextIsCallCost = false;
    std::string line;
    while (std::getline(file, line)) {
        if (IsCostLine(line)) {
            if (nextIsCallCost) { // a call's inclusive cost, already counted in the callee
                nextIsCallCost = false;
                continue;
            }
            std::istringstream fields(line);
            std::string field;
            for (size_t i = 0; i < positions && fields >> field; ++i) {
            }
            double instructions = 0;
            if (fields >> instructions) {
                selfCost[currentObject] += instructions;
            }
        } else if (line.rfind("ob=", 0) == 0) {
            currentObject = ResolveName(line.substr(3), objectNames);
        } else if (line.rfind("cob=", 0) == 0) {
            ResolveName(line.substr(4), objectNames); // may define a name for later
        } else if (line.rfind("calls=", 0) == 0) {
            nextIsCallCost = true;
        } else if (line.rfind("positions:", 0) == 0) {
            std::istringstream words(line.substr(10));
            std::string word;
            positions = 0;
            while (words >> word) {
                ++positions;
            }
        } else if (line.rfind("desc: Trigger: ", 0) == 0) {
            share.label = line.substr(15);
        }
    }
    share = InstructionShare{0, 0, 0, 0, 0, share.label};
    for (const auto& [object, cost] : selfCost) {
        share.total += cost;
        switch (KindOfObject(object, ourObject)) {
        case ObjectKind::Ours:
            share.ours += cost;
            break;
        case ObjectKind::Gl:
            share.gl += cost;
            break;
        case ObjectKind::Media:
            share.media += cost;
            break;
        case ObjectKind::System:
            share.system += cost;
            break;
        }
    }
    return share.total > 0;
}
