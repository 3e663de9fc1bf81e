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
    // Answers at once, as the real shell does for a target it refuses outright.
    void Open(const std::string& fileOrAddress, OpenCompletion done) override {
        opened.push_back(fileOrAddress);
        done(openSucceeds);
    }
};

}  // namespace korvalin::testing
