#pragma once

#include <QDialog>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace korvalin {

// The about box: program icon, version, legal notice, two texts and two links that open
// through the shell, and "OK". Created for one modal showing (exec()), then released.
// With dialogs, a link the browser cannot open shows the browser message.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(Shell& shell, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);

private:
    void OpenLink(const QString& address);

    Shell& shell_;
    Dialogs* dialogs_;
};

}  // namespace korvalin
