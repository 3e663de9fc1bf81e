#include "sources/CounterSource.h"

#include "core/MyTools.h"

namespace korvalin {

int FindInterface(const InterfaceList& list, const std::string& text) {
    const std::string wanted = MyTools().UpperCaseGerman(text);
    for (std::size_t position = 0; position < list.size(); ++position) {
        if (MyTools().UpperCaseGerman(list[position].text) == wanted) {
            return static_cast<int>(position);
        }
    }
    return -1;
}

}  // namespace korvalin
