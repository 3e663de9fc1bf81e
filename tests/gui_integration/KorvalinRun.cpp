#include "KorvalinRun.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace korvalin::testing {

KorvalinRun::KorvalinRun(const X11Session& session, QString networkNamespace)
    : session_(session), networkNamespace_(std::move(networkNamespace)) {
    for (const char* sub : {"config", "run", "home"}) {
        QDir(folder_.path()).mkpath(QLatin1String(sub));
    }
    // The runtime folder must be private, as the session's own is.
    chmod(QFile::encodeName(folder_.filePath(QStringLiteral("run"))).constData(), 0700);
}

std::unique_ptr<Child> KorvalinRun::Start() const {
    QProcessEnvironment environment = session_.Environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       folder_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("HOME"), folder_.filePath(QStringLiteral("home")));
    return StartIn(environment);
}

std::unique_ptr<Child> KorvalinRun::StartWithoutRuntimeFolder() const {
    QProcessEnvironment environment = session_.Environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       folder_.filePath(QStringLiteral("config")));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("HOME"), folder_.filePath(QStringLiteral("home")));
    return StartIn(environment);
}

QString KorvalinRun::DataFolder() const {
    return folder_.filePath(QStringLiteral("config/Korvalin"));
}

std::unique_ptr<Child> KorvalinRun::StartIn(QProcessEnvironment environment) const {
    environment.insert(extraEnvironment_);
    const QString log = folder_.filePath(QStringLiteral("korvalin.log"));
    const QString binary = QStringLiteral(KORVALIN_BINARY);
    if (networkNamespace_.isEmpty()) {
        return std::make_unique<Child>(binary, QStringList{}, environment, log);
    }
    // "ip netns exec" replaces itself by the program, so the child's id is the program's.
    return std::make_unique<Child>(
        QStringLiteral("ip"),
        QStringList{QStringLiteral("netns"), QStringLiteral("exec"), networkNamespace_, binary},
        environment, log);
}

QString KorvalinRun::SettingsFile() const {
    return folder_.filePath(QStringLiteral("config/Korvalin/korvalin.ini"));
}

void KorvalinRun::WriteSettings(const QByteArray& text) const {
    QDir().mkpath(QFileInfo(SettingsFile()).path());
    QFile file(SettingsFile());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text);
    }
}

std::optional<QString> KorvalinRun::Setting(const QString& section, const QString& key) const {
    QFile file(SettingsFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QTextStream in(&file);
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == QLatin1Char('[') + section + QLatin1Char(']');
        } else if (inSection && line.startsWith(key + QLatin1Char('='))) {
            return line.mid(key.size() + 1);
        }
    }
    return std::nullopt;
}

QString KorvalinRun::Log() const {
    QFile file(folder_.filePath(QStringLiteral("korvalin.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

}  // namespace korvalin::testing
