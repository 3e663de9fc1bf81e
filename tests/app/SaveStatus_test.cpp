// The configuration window's line about failing saves: shown once saving fails, until
// saving works again, and placed where it hides no control.
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "MainFixture.h"

namespace korvalin::testing {
namespace {

class SaveStatusTest : public MainFixture {};

bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

TEST_F(SaveStatusTest, LineTellsTheFailureUntilTheClockSavesAgain) {
    WriteIni(SettledIni);
    ASSERT_TRUE(Start());
    QLabel* line = main->SaveStatusLabel;
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isHidden());

    // A file where the data folder was: no save can reach the settings file.
    const std::filesystem::path dataFolder = shell.appDataFolder + "/Korvalin";
    const std::filesystem::path aside = shell.appDataFolder + "/aside";
    std::filesystem::rename(dataFolder, aside);
    std::ofstream(dataFolder) << "in the way";

    main->AllInByteChkBox->click();
    EXPECT_FALSE(line->isHidden());
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Speichern fehlgeschlagen")))
        << line->text().toStdString();
    EXPECT_TRUE(line->text().contains(QString::fromStdString(IniPath())));
    EXPECT_TRUE(dialogs.messages.empty()) << "a line, no message box";

    std::filesystem::remove(dataFolder);
    std::filesystem::rename(aside, dataFolder);
    auto* clock = main->findChild<QTimer*>(QStringLiteral("SumsTimer"));
    ASSERT_NE(clock, nullptr);
    clock->start(10);
    ASSERT_TRUE(WaitFor([&] { return !controller->SaveFailing(); }));
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Speichern wieder möglich")))
        << line->text().toStdString();
    EXPECT_EQ(ReadIni()["Options"]["AllInByte"], "1") << "the clock saved the whole schema";
}

TEST_F(SaveStatusTest, LineCoversNoOtherControl) {
    WriteIni(SettledIni);
    ASSERT_TRUE(Start());
    const QRect line = main->SaveStatusLabel->geometry();
    EXPECT_TRUE(QRect(QPoint(0, 0), main->size()).contains(line));
    for (const QWidget* other : main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != main->SaveStatusLabel && !other->isWindow()) {
            EXPECT_FALSE(line.intersects(other->geometry())) << other->objectName().toStdString();
        }
    }
}

}  // namespace
}  // namespace korvalin::testing
