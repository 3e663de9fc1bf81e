#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "core/WindowPlacement.h"
#include "display/ByteMeter.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/Screens.h"
#include "platform/qt/QtRePosWindow.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;

namespace korvalin {

// The large status window: the received and the sent bytes per interval as two stacked
// graphs, the totals in the status bar and a legend. Closing it only hides it; it keeps
// its placement in the registry when it was shown during the run.
class LargeStatusWindow : public QWidget {
    Q_OBJECT

public:
    LargeStatusWindow(Registry& registry, const Screens& screens, Dialogs& dialogs);
    ~LargeStatusWindow() override;

    // One sample: the interval's bytes enter the graphs, the totals the status bar.
    void UpdateTraffic(std::int64_t received, std::int64_t sent, std::int64_t totalReceived,
                       std::int64_t totalSent);

    QWidget* MainPanel = nullptr;
    QFrame* MeterPanel = nullptr;
    ByteMeter* RcvByteMeter = nullptr;
    ByteMeter* SendByteMeter = nullptr;
    QLabel* ConnectImage = nullptr;
    QLabel* ConnectLabel = nullptr;
    QLabel* IdleImage = nullptr;
    QLabel* IdleLabel = nullptr;
    QLabel* TrafficOverflowImage = nullptr;
    QLabel* TrafficOverflowLabel = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusText = nullptr;

    QMenu* GraphPopupMenu = nullptr;
    QAction* VariableSkalierungverwenden1 = nullptr;
    QMenu* FesteSkalierung1 = nullptr;
    QAction* Individuell1 = nullptr;
    QMenu* Geschwindigkeit1 = nullptr;
    QAction* stayontop1 = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* stayOnTop = nullptr;

    // The graph the graph menu acts on: the one right-clicked last, none at first.
    ByteMeter* MenuGraph() const { return menuGraph_; }
    bool ShownOnce() const { return shownOnce_; }

public slots:
    void FormResize();
    void FormShow();
    void ByteMeterMouseDown(korvalin::ByteMeter* sender, Qt::MouseButton button,
                            QPoint globalPosition);
    void MaxYByteClick(QAction* sender);
    void VariableSkalierungverwenden1Click();
    void GeschwindigkeitClick(QObject* sender);
    void stayOnTopClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void BuildControls();
    void BuildLegend();
    void BuildGraphPopupMenu();
    void BuildPopupMenu();
    void LayoutPanels();
    void RestorePlacement();
    void ApplyGraphColours();
    void SetStayOnTop(bool onTop);

    Dialogs& dialogs_;
    QtRePosWindow placedWindow_;
    WindowPlacement RePosApp;
    QPointer<ByteMeter> menuGraph_;
    bool shownOnce_ = false;
};

}  // namespace korvalin
