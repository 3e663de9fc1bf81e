#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace korvalin::testing {

class FakeShell final : public Shell {
public:
    std::string appDataFolder = "/tmp/korvalin-test-config";
    std::string programPath = "/opt/korvalin/bin/korvalin";
    bool openSucceeds = true;
    std::vector<std::string> opened;

    std::string AppDataFolder() const override { return appDataFolder; }
    std::string ProgramPath() const override { return programPath; }
    bool Open(const std::string& fileOrAddress) override {
        opened.push_back(fileOrAddress);
        return openSucceeds;
    }
};

}  // namespace korvalin::testing
