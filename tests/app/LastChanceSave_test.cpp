#include "app/LastChanceSave.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace korvalin {
namespace {

// The child of a death test leaves a mark in a file for each save it ran.
void Mark(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file != nullptr) {
        std::fputs("saved\n", file);
        std::fclose(file);
    }
}

std::string Read(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
        char buffer[64];
        while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
            text += buffer;
        }
        std::fclose(file);
    }
    return text;
}

class LastChanceSaveEnds : public ::testing::Test {
protected:
    std::string MarkFile() const { return folder.filePath(QStringLiteral("marks")).toStdString(); }
    QTemporaryDir folder;
};

TEST_F(LastChanceSaveEnds, ExitFromAnywhereSavesOnce) {
    const std::string marks = MarkFile();
    EXPECT_EXIT(
        {
            const LastChanceSave save([marks] { Mark(marks); });
            LastChanceSave::Run();  // an earlier end path ran already
            std::exit(1);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(Read(marks), "saved\n");
}

TEST_F(LastChanceSaveEnds, FatalToolkitMessageSavesBeforeTheAbort) {
    const std::string marks = MarkFile();
    EXPECT_DEATH(
        {
            const LastChanceSave save([marks] { Mark(marks); });
            qFatal("the display is gone");
        },
        "the display is gone");
    EXPECT_EQ(Read(marks), "saved\n");
}

TEST_F(LastChanceSaveEnds, NothingOnceDisarmed) {
    const std::string marks = MarkFile();
    EXPECT_EXIT(
        {
            {
                const LastChanceSave save([marks] { Mark(marks); });
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(marks), "");
}

}  // namespace
}  // namespace korvalin
