#pragma once

#include "platform/OsVersion.h"

namespace korvalin::testing {

class FakeOsVersion final : public OsVersion {
public:
    bool succeeds = true;
    OsVersionInfo info{true, 6, 1, "Linux 6.1.0"};
    bool Query(OsVersionInfo& out) const override {
        if (succeeds) {
            out = info;
        }
        return succeeds;
    }
};

}  // namespace korvalin::testing
