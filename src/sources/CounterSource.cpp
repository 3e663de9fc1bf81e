#include "sources/CounterSource.h"

#include "core/TextTools.h"

namespace korvalin {

int FindInterface(const InterfaceList& list, const std::string& text) {
    const std::string wanted = UpperCaseGerman(text);
    for (std::size_t position = 0; position < list.size(); ++position) {
        if (UpperCaseGerman(list[position].text) == wanted) {
            return static_cast<int>(position);
        }
    }
    return -1;
}

void AppendFailure(std::string& failures, const std::string& failure) {
    if (failure.empty()) {
        return;
    }
    if (!failures.empty()) {
        failures += "; ";
    }
    failures += failure;
}

}  // namespace korvalin
