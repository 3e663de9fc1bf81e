#include "app/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <atomic>
#include <cstring>
#include <thread>

namespace korvalin {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        chmod(QFile::encodeName(folder_.path()).constData(), 0700);
    }

    QString Folder() const { return folder_.path(); }
    QString SocketPath() const {
        return QDir(folder_.path()).filePath(QStringLiteral("korvalin.socket"));
    }

    // Runs a later instance on its own thread (its exchange blocks) while this thread
    // serves the first one; returns what the later instance's Acquire answered.
    bool RunLaterInstance() {
        std::atomic<int> answer{-1};
        std::thread later([&] {
            SingleInstance second({Folder()});
            answer = second.Acquire() ? 1 : 0;
        });
        QElapsedTimer waited;
        waited.start();
        while (answer < 0 && waited.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        later.join();
        return answer == 1;
    }

    QTemporaryDir folder_;
};

TEST_F(SingleInstanceTest, TheFirstInstanceListensAndALaterOneAsksItToShowItself) {
    SingleInstance first({Folder()});
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Listening());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::ActivationRequested, [&] { ++activations; });

    EXPECT_FALSE(RunLaterInstance());
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);

    EXPECT_FALSE(RunLaterInstance());
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 2);
}

TEST_F(SingleInstanceTest, AFinishedInstanceMakesRoomForTheNext) {
    {
        SingleInstance first({Folder()});
        ASSERT_TRUE(first.Acquire());
    }
    SingleInstance next({Folder()});
    EXPECT_TRUE(next.Acquire());
    EXPECT_TRUE(next.Listening());
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedRunDoesNotBlockTheStart) {
    // A bound socket whose owner is gone, as a killed program leaves it.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(SocketPath());
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(QFile::exists(SocketPath()));

    SingleInstance first({Folder()});
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Listening());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::ActivationRequested, [&] { ++activations; });
    EXPECT_FALSE(RunLaterInstance());
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, AStrangerOnTheSocketCannotTriggerTheWindow) {
    SingleInstance first({Folder()});
    ASSERT_TRUE(first.Acquire());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::ActivationRequested, [&] { ++activations; });
    QLocalSocket client;
    client.connectToServer(SocketPath());
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("hello\n");
    client.flush();
    QElapsedTimer waited;
    waited.start();
    while (client.state() != QLocalSocket::UnconnectedState && waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        client.waitForDisconnected(20);
    }
    EXPECT_EQ(client.state(), QLocalSocket::UnconnectedState);
    EXPECT_EQ(activations, 0);
}

// A folder others may write to could have been made by one of them; the next folder of
// the user's own is taken instead, and without one the user is told.
TEST_F(SingleInstanceTest, AFolderOpenToOthersIsNotTrusted) {
    chmod(QFile::encodeName(Folder()).constData(), 0777);
    QTemporaryDir other;
    const QString fallback = QDir(other.path()).filePath(QStringLiteral("data/Korvalin"));
    {
        SingleInstance first({Folder(), fallback});
        EXPECT_TRUE(first.Acquire());
        EXPECT_TRUE(first.Listening());
        EXPECT_EQ(first.Folder(), fallback) << "created when missing";
        EXPECT_FALSE(QFile::exists(SocketPath()));
    }
    ::testing::internal::CaptureStderr();
    SingleInstance alone({Folder()});
    EXPECT_TRUE(alone.Acquire());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(alone.Listening());
    EXPECT_NE(said.find("single-instance guard"), std::string::npos) << said;
    EXPECT_NE(said.find(Folder().toStdString()), std::string::npos) << said;
}

TEST(SingleInstanceFolders, RuntimeFolderFirstThenTheDataFolder) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", "/run/user/4711");
    EXPECT_EQ(SingleInstance::DefaultFolders(QStringLiteral("/home/u/.config/Korvalin")),
              (QStringList{QStringLiteral("/run/user/4711"),
                           QStringLiteral("/home/u/.config/Korvalin")}));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::DefaultFolders(QStringLiteral("/home/u/.config/Korvalin")),
              QStringList{QStringLiteral("/home/u/.config/Korvalin")})
        << "no shared temporary folder";
    if (!saved.isNull()) {
        qputenv("XDG_RUNTIME_DIR", saved);
    }
}

}  // namespace
}  // namespace korvalin
