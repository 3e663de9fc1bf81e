#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "X11Session.h"

namespace korvalin::testing {

// The real program with its own configuration, runtime and home folders in a temporary
// place, on the given X session, optionally inside a network namespace.
class KorvalinRun {
public:
    explicit KorvalinRun(const X11Session& session, QString networkNamespace = QString());

    // Sets a variable of the program's environment for the starts that follow.
    void SetEnvironment(const QString& name, const QString& value) {
        extraEnvironment_.insert(name, value);
    }

    // Starts one more process of the program (the first, or a later instance).
    std::unique_ptr<Child> Start() const;
    // The same without XDG_RUNTIME_DIR, as a session without one starts it.
    std::unique_ptr<Child> StartWithoutRuntimeFolder() const;
    // The program's data folder, below the configuration folder.
    QString DataFolder() const;

    QString SettingsFile() const;
    // Writes the settings file before a start, as an earlier run would have left it.
    void WriteSettings(const QByteArray& text) const;
    // The value of a key in the settings file, or nothing when file, section or key is
    // missing.
    std::optional<QString> Setting(const QString& section, const QString& key) const;
    QString Log() const;

private:
    std::unique_ptr<Child> StartIn(QProcessEnvironment environment) const;

    const X11Session& session_;
    QString networkNamespace_;
    QTemporaryDir folder_;
    QProcessEnvironment extraEnvironment_;
};

}  // namespace korvalin::testing
