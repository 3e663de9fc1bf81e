#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace korvalin {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonChoice> ButtonsOf(unsigned style) {
    using B = QMessageBox;
    switch (style & Dialogs::ButtonMask) {
    case Dialogs::StyleOkCancel:
        return {{B::Ok, IdOk}, {B::Cancel, IdCancel}};
    case Dialogs::StyleAbortRetryIgnore:
        return {{B::Abort, IdAbort}, {B::Retry, IdRetry}, {B::Ignore, IdIgnore}};
    case Dialogs::StyleYesNoCancel:
        return {{B::Yes, IdYes}, {B::No, IdNo}, {B::Cancel, IdCancel}};
    case Dialogs::StyleYesNo:
        return {{B::Yes, IdYes}, {B::No, IdNo}};
    case Dialogs::StyleRetryCancel:
        return {{B::Retry, IdRetry}, {B::Cancel, IdCancel}};
    default:
        return {{B::Ok, IdOk}};
    }
}

QMessageBox::Icon IconOf(unsigned style) {
    switch (style & Dialogs::IconMask) {
    case Dialogs::IconHand:
        return QMessageBox::Critical;
    case Dialogs::IconQuestion:
        return QMessageBox::Question;
    case Dialogs::IconExclamation:
        return QMessageBox::Warning;
    case Dialogs::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// German texts, whatever translations Qt finds: the whole interface is German.
QString GermanText(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Cancel:
        return QStringLiteral("Abbrechen");
    case QMessageBox::Abort:
        return QStringLiteral("Abbrechen");
    case QMessageBox::Retry:
        return QStringLiteral("Wiederholen");
    case QMessageBox::Ignore:
        return QStringLiteral("Ignorieren");
    case QMessageBox::Yes:
        return QStringLiteral("Ja");
    case QMessageBox::No:
        return QStringLiteral("Nein");
    default:
        return QStringLiteral("OK");
    }
}

// A width at which the window manager shows the whole title: the caption in a bold title
// font, with room for the frame's icon and its three buttons. The frame's own font is not
// known to the program, so the bold application font stands in for it with some slack.
int WidthForTitle(const QString& title) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    constexpr int FrameButtonsAndIcon = 4 * 24;
    constexpr int Slack = 48;
    return QFontMetrics(titleFont).horizontalAdvance(title) * 11 / 10 + FrameButtonsAndIcon + Slack;
}

}  // namespace

int QtDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    QMessageBox box(IconOf(style), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    const auto choices = ButtonsOf(style);
    for (const auto& choice : choices) {
        box.addButton(choice.button)->setText(GermanText(choice.button));
    }
    if (choices.size() > 1) {
        box.setEscapeButton(choices.back().button);
    }
    if (style & Dialogs::SetForeground) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box.exec();
    const auto* clicked = box.clickedButton();
    for (const auto& choice : choices) {
        if (clicked == box.button(choice.button)) {
            return choice.result;
        }
    }
    // Closed without a button: Cancel where there is one, else the only button.
    for (const auto& choice : choices) {
        if (choice.result == IdCancel) {
            return IdCancel;
        }
    }
    return choices.size() == 1 ? choices.front().result : IdCancel;
}

bool QtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                           std::string& value) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(value));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    // The dialog's layout fixes its size from its contents, so the edit carries the width.
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        const QMargins margins =
            dialog.layout() != nullptr ? dialog.layout()->contentsMargins() : QMargins();
        edit->setMinimumWidth(WidthForTitle(dialog.windowTitle()) - margins.left() -
                              margins.right());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value = dialog.textValue().toStdString();
    return true;
}

}  // namespace korvalin
