#include "platform/qt/QtDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QInputDialog>
#include <QTimer>
#include <string>

namespace korvalin {
namespace {

// Answers the input dialog once it is shown: records its width and cancels it.
class InputDialogWatcher {
public:
    InputDialogWatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                width_ = dialog->width();
                dialog->reject();
            }
        });
        timer_.start();
    }
    int Width() const { return width_; }

private:
    QTimer timer_;
    int width_ = -1;
};

// A dialog narrower than its title has it cut by the window manager; it leaves room for
// the title in bold and the frame's icon and buttons.
TEST(QtDialogsInputQuery, IsWideEnoughForItsTitle) {
    for (const char* caption :
         {"Skalierung festlegen", "Ein viel längerer Titel für ein Eingabefenster"}) {
        SCOPED_TRACE(caption);
        QtDialogs dialogs;
        InputDialogWatcher watcher;
        std::string value = "0";
        EXPECT_FALSE(dialogs.InputQuery(caption, "Maximaler Wert der Y-Achse in Byte", value));
        EXPECT_EQ(value, "0");
        QFont bold = QApplication::font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(caption));
        EXPECT_GE(watcher.Width(), title + 4 * 24);
    }
}

}  // namespace
}  // namespace korvalin
