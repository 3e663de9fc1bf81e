#include "display/LargeStatusWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>
#include <QStatusBar>
#include <QWindow>
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "core/TextTools.h"
#include "display/ByteMeter.h"

namespace korvalin {

namespace {

// The designed window of 295 x 345 (minimum 270 x 320) less a tool window's frame: the
// sizes below are the client area's, which is what the window manager leaves to us.
constexpr int FrameExtraWidth = 8;
constexpr int FrameExtraHeight = 27;
constexpr int DesignWidth = 295 - FrameExtraWidth;
constexpr int DesignHeight = 345 - FrameExtraHeight;
constexpr int StatusBarHeight = 24;
constexpr int DesignMainHeight = DesignHeight - StatusBarHeight;
const QRect DesignMeterPanel(8, 4, 273, 223);
constexpr int LegendImageLeft = 11;
constexpr int LegendLabelLeft = 28;
constexpr int LegendRows[] = {234, 253, 273};
constexpr int IndicatorCell = 13;
constexpr int GraphValueRange = 5;

const int FixedScales[] = {2000,  3000,  4000,  6000,  8000,  10000, 12000, 20000,
                           24000, 30000, 32000, 34000, 36000, 40000, 42000, 46000,
                           50000, 60000, 70000, 80000, 90000, 100000};

const QColor GraphBackground(128, 128, 128);
const QColor ReceivedColour(0, 0, 255);
const QColor SentColour(255, 0, 0);

// The window's fonts at 8 points on a 96 dpi screen, fixed in pixels so the layout does
// not follow the screen's text size; Liberation Sans keeps the text widths of the
// original fonts.
QFont EightPointFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

// A 26 x 13 strip: the lit indicator in the colour on the left, the unlit grey one on
// the right.
QPixmap IndicatorStrip(const QColor& lit) {
    QPixmap strip(2 * IndicatorCell, IndicatorCell);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF cell(1.5, 1.5, IndicatorCell - 3, IndicatorCell - 3);
    painter.setPen(QPen(lit.darker(160), 1));
    painter.setBrush(lit);
    painter.drawEllipse(cell);
    painter.setPen(QPen(QColor(96, 96, 96), 1));
    painter.setBrush(QColor(176, 176, 176));
    painter.drawEllipse(cell.translated(IndicatorCell, 0));
    return strip;
}

QPixmap UnlitCell(const QColor& lit) {
    return IndicatorStrip(lit).copy(IndicatorCell, 0, IndicatorCell, IndicatorCell);
}

std::optional<std::int32_t> ParseInt32(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    const char* begin = digits.data();
    const char* end = digits.data() + digits.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    std::int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

QAction* RadioAction(QMenu* menu, QActionGroup* group, const QString& name, const QString& text) {
    auto* action = menu->addAction(text);
    action->setObjectName(name);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

QActionGroup* RadioGroup(QObject* parent) {
    // Radio items may all be unchecked, as the menu shows when the scale is variable.
    auto* group = new QActionGroup(parent);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    return group;
}

}  // namespace

LargeStatusWindow::LargeStatusWindow(Registry& registry, const Screens& screens, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Tool),
      dialogs_(dialogs),
      placedWindow_(*this),
      RePosApp(registry, screens, placedWindow_) {
    setObjectName(QStringLiteral("BigForm"));
    // Showing the window leaves the input focus where the user has it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(EightPointFont());
    setMinimumSize(270 - FrameExtraWidth, 320 - FrameExtraHeight);
    resize(DesignWidth, DesignHeight);
    BuildControls();
    BuildGraphPopupMenu();
    BuildPopupMenu();
    FormCreate();
}

LargeStatusWindow::~LargeStatusWindow() {
    FormDestroy();
}

void LargeStatusWindow::BuildControls() {
    MainPanel = new QWidget(this);
    MainPanel->setObjectName(QStringLiteral("MainPanel"));
    MainPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MainPanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { PopupMenu->popup(MainPanel->mapToGlobal(position)); });

    MeterPanel = new QFrame(MainPanel);
    MeterPanel->setObjectName(QStringLiteral("MeterPanel"));
    MeterPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MeterPanel->setLineWidth(1);

    const auto makeMeter = [this](const char* name, const char* caption) {
        auto* meter = new ByteMeter(MeterPanel);
        meter->setObjectName(QString::fromLatin1(name));
        meter->SetCaption(QString::fromUtf8(caption));
        meter->SetBorderWidth(5);
        meter->setFont(EightPointFont());
        // The right button opens the graph menu, not the panel's menu behind it.
        meter->setContextMenuPolicy(Qt::PreventContextMenu);
        connect(meter, &ByteMeter::MouseDown, this, &LargeStatusWindow::ByteMeterMouseDown);
        return meter;
    };
    RcvByteMeter = makeMeter("RcvByteMeter", "Empfang %s/Sek.; aktuell %s");
    SendByteMeter = makeMeter("SendByteMeter", "Gesendet %s/Sek.; aktuell %s");

    const auto makeLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, MainPanel);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    ConnectImage = makeLabel("ConnectImage", QString());
    ConnectLabel = makeLabel("ConnectLabel", QStringLiteral("Verbunden"));
    IdleImage = makeLabel("IdleImage", QString());
    IdleLabel = makeLabel("IdleLabel", QStringLiteral("Leerlauf"));
    TrafficOverflowImage = makeLabel("TrafficOverflowImage", QString());
    TrafficOverflowLabel =
        makeLabel("TrafficOverflowLabel", QString::fromUtf8("Datenmenge überschritten"));

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusText = new QLabel(StatusBar);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusBar->addWidget(StatusText, 1);
}

void LargeStatusWindow::BuildGraphPopupMenu() {
    GraphPopupMenu = new QMenu(this);
    GraphPopupMenu->setObjectName(QStringLiteral("GraphPopupMenu"));

    auto* scaleKind = RadioGroup(this);
    VariableSkalierungverwenden1 =
        RadioAction(GraphPopupMenu, scaleKind, QStringLiteral("VariableSkalierungverwenden1"),
                    QStringLiteral("Variable Skalierung verwenden"));
    connect(VariableSkalierungverwenden1, &QAction::triggered, this,
            &LargeStatusWindow::VariableSkalierungverwenden1Click);

    FesteSkalierung1 = GraphPopupMenu->addMenu(QStringLiteral("Feste Skalierung..."));
    FesteSkalierung1->setObjectName(QStringLiteral("FesteSkalierung1"));
    FesteSkalierung1->menuAction()->setObjectName(QStringLiteral("FesteSkalierung1"));
    FesteSkalierung1->menuAction()->setCheckable(true);
    scaleKind->addAction(FesteSkalierung1->menuAction());

    auto* fixedScales = RadioGroup(this);
    Individuell1 = RadioAction(FesteSkalierung1, fixedScales, QStringLiteral("Individuell1"),
                               QStringLiteral("&Individuell..."));
    Individuell1->setData(0);
    for (const int bytes : FixedScales) {
        const QString caption = QStringLiteral("%1 Byte").arg(bytes);
        auto* item = RadioAction(FesteSkalierung1, fixedScales,
                                 QStringLiteral("N%1Byte1").arg(bytes), caption);
        item->setData(bytes);
    }
    for (QAction* item : FesteSkalierung1->actions()) {
        connect(item, &QAction::triggered, this, [this, item] { MaxYByteClick(item); });
    }

    Geschwindigkeit1 = GraphPopupMenu->addMenu(QStringLiteral("Geschwindigkeit"));
    Geschwindigkeit1->setObjectName(QStringLiteral("Geschwindigkeit1"));
    Geschwindigkeit1->menuAction()->setObjectName(QStringLiteral("Geschwindigkeit1"));
    auto* speeds = RadioGroup(this);
    for (int speed = 1; speed <= 12; ++speed) {
        auto* item = RadioAction(Geschwindigkeit1, speeds, QStringLiteral("N%11").arg(speed),
                                 QString::number(speed));
        connect(item, &QAction::triggered, this, [this, item] { GeschwindigkeitClick(item); });
    }

    GraphPopupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    stayontop1 =
        GraphPopupMenu->addAction(QString::fromUtf8("Über allen anderen Fenstern anordnen"));
    stayontop1->setObjectName(QStringLiteral("stayontop1"));
    stayontop1->setCheckable(true);
    connect(stayontop1, &QAction::triggered, this, &LargeStatusWindow::stayOnTopClick);
}

void LargeStatusWindow::BuildPopupMenu() {
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    stayOnTop = PopupMenu->addAction(QString::fromUtf8("Über allen anderen Fenstern anordnen"));
    stayOnTop->setObjectName(QStringLiteral("stayOnTop"));
    stayOnTop->setCheckable(true);
    connect(stayOnTop, &QAction::triggered, this, &LargeStatusWindow::stayOnTopClick);
}

void LargeStatusWindow::BuildLegend() {
    ConnectImage->setPixmap(UnlitCell(QColor(0, 192, 0)));
    IdleImage->setPixmap(UnlitCell(QColor(0, 0, 255)));
    TrafficOverflowImage->setPixmap(UnlitCell(QColor(255, 0, 0)));
}

void LargeStatusWindow::FormCreate() {
    setWindowTitle(QStringLiteral("Korvalin"));
    for (ByteMeter* meter : {RcvByteMeter, SendByteMeter}) {
        meter->Bits = false;
        meter->SetUserMaxY(0);
        meter->SetValueRange(GraphValueRange);
    }
    RestorePlacement();
    BuildLegend();
    LayoutPanels();
}

void LargeStatusWindow::FormDestroy() {
    // A window never shown this run leaves the stored placement as it was.
    if (!shownOnce_) {
        return;
    }
    RePosApp.InifileName = GetRegistryKey();
    RePosApp.SavePosition();
}

void LargeStatusWindow::RestorePlacement() {
    RePosApp.InifileName = GetRegistryKey();
    RePosApp.SectionName = "BigWindowPosition";
    RePosApp.LeftName = "Left";
    RePosApp.TopName = "Top";
    RePosApp.HeightName = "Height";
    RePosApp.WidthName = "Width";
    RePosApp.WindowStateName = "ShowCmd";
    RePosApp.AllowMaximized = false;
    RePosApp.LoadPosition();
}

void LargeStatusWindow::UpdateTraffic(std::int64_t received, std::int64_t sent,
                                      std::int64_t totalReceived, std::int64_t totalSent) {
    RcvByteMeter->AddValue(received);
    SendByteMeter->AddValue(sent);
    const std::string text = "Empfang: " + FormatBytesInt(false, false, totalReceived) + "; " +
                             "Gesendet: " + FormatBytesInt(false, false, totalSent);
    StatusText->setText(QString::fromStdString(text));
}

void LargeStatusWindow::LayoutPanels() {
    // The designed height, unless the bar's text and margins need more: a bar squeezed
    // below its hint cuts its text at the bottom.
    const int barHeight = std::max(StatusBarHeight, StatusBar->sizeHint().height());
    const int mainHeight = height() - barHeight;
    MainPanel->setGeometry(0, 0, width(), mainHeight);
    StatusBar->setGeometry(0, mainHeight, width(), barHeight);
    // The meter panel keeps its designed distance to all four sides.
    const int rightMargin = DesignWidth - DesignMeterPanel.right() - 1;
    const int bottomMargin = DesignMainHeight - DesignMeterPanel.bottom() - 1;
    MeterPanel->setGeometry(DesignMeterPanel.left(), DesignMeterPanel.top(),
                            width() - DesignMeterPanel.left() - rightMargin,
                            mainHeight - DesignMeterPanel.top() - bottomMargin);
    // The legend keeps its distance to the bottom edge.
    QLabel* const images[] = {ConnectImage, IdleImage, TrafficOverflowImage};
    QLabel* const labels[] = {ConnectLabel, IdleLabel, TrafficOverflowLabel};
    for (int row = 0; row < 3; ++row) {
        const int top = mainHeight - (DesignMainHeight - LegendRows[row]);
        images[row]->setGeometry(LegendImageLeft, top, IndicatorCell, IndicatorCell);
        labels[row]->setGeometry(LegendLabelLeft, top, 200, IndicatorCell + 2);
    }
    FormResize();
}

void LargeStatusWindow::FormResize() {
    const int h = MeterPanel->height();
    const int w = MeterPanel->width();
    RcvByteMeter->setGeometry(3, 3, w - 6, h / 2 - 3);
    const int sendTop = RcvByteMeter->y() + RcvByteMeter->height();
    SendByteMeter->setGeometry(3, sendTop, w - 6, h - sendTop - 3);
}

void LargeStatusWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutPanels();
}

void LargeStatusWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void LargeStatusWindow::ApplyGraphColours() {
    for (ByteMeter* meter : {RcvByteMeter, SendByteMeter}) {
        meter->SetColor(GraphBackground);
        QPalette palette = meter->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        meter->setPalette(palette);
        meter->SetAxisColor(Qt::black);
        meter->Bits = false;
    }
    RcvByteMeter->SetGraphColor(ReceivedColour);
    SendByteMeter->SetGraphColor(SentColour);
}

void LargeStatusWindow::FormShow() {
    if (!shownOnce_) {
        shownOnce_ = true;
        RestorePlacement();
    }
    ApplyGraphColours();
    QPointer<QWidget> foreground = QApplication::activeWindow();
    stayOnTop->setChecked(true);
    stayontop1->setChecked(true);
    SetStayOnTop(true);
    LayoutPanels();
    if (foreground && foreground != this) {
        foreground->activateWindow();
    }
}

void LargeStatusWindow::SetStayOnTop(bool onTop) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (flags == windowFlags()) {
        return;
    }
    if (windowHandle() != nullptr) {
        // Changing the flags of a created window through the widget would recreate and
        // hide it; the window handle changes the top-most band in place.
        overrideWindowFlags(flags);
        windowHandle()->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void LargeStatusWindow::stayOnTopClick() {
    // Qt has toggled the item that was clicked; the other one follows it.
    const bool onTop = sender() == stayontop1 ? stayontop1->isChecked() : stayOnTop->isChecked();
    stayOnTop->setChecked(onTop);
    stayontop1->setChecked(onTop);
    SetStayOnTop(onTop);
    show();
}

void LargeStatusWindow::ByteMeterMouseDown(ByteMeter* sender, Qt::MouseButton button,
                                           QPoint globalPosition) {
    if (button != Qt::RightButton || sender == nullptr) {
        return;
    }
    if (sender->UserMaxY() == 0) {
        for (QAction* item : FesteSkalierung1->actions()) {
            item->setChecked(false);
        }
        FesteSkalierung1->menuAction()->setChecked(false);
        VariableSkalierungverwenden1->setChecked(true);
    } else {
        VariableSkalierungverwenden1->setChecked(false);
        FesteSkalierung1->menuAction()->setChecked(true);
        bool matched = false;
        for (QAction* item : FesteSkalierung1->actions()) {
            if (item->data().toLongLong() == sender->UserMaxY()) {
                item->setChecked(true);
                matched = true;
                break;
            }
        }
        if (!matched) {
            for (QAction* item : FesteSkalierung1->actions()) {
                item->setChecked(false);
            }
            Individuell1->setChecked(true);
        }
    }
    for (QAction* item : Geschwindigkeit1->actions()) {
        bool isNumber = false;
        if (item->text().toInt(&isNumber) == sender->ValueRange() && isNumber) {
            item->setChecked(true);
            break;
        }
    }
    menuGraph_ = sender;
    GraphPopupMenu->popup(globalPosition);
}

void LargeStatusWindow::MaxYByteClick(QAction* sender) {
    if (!menuGraph_ || sender == nullptr) {
        return;
    }
    sender->setChecked(true);
    VariableSkalierungverwenden1->setChecked(false);
    FesteSkalierung1->menuAction()->setChecked(true);
    const int tag = sender->data().toInt();
    if (tag != 0) {
        menuGraph_->SetUserMaxY(tag);
        return;
    }
    // The dialog shows the low 32 bits as the entry reads back a 32-bit number.
    std::string value = std::to_string(static_cast<std::int32_t>(menuGraph_->UserMaxY()));
    if (!dialogs_.InputQuery("Skalierung festlegen", "Maximaler Wert der Y-Achse in Byte", value)) {
        return;
    }
    const auto bytes = ParseInt32(QString::fromStdString(value));
    if (!bytes) {
        MsgBox(dialogs_, "Ungültige Byteangabe!", "", mkError, {btnOK});
        return;
    }
    if (menuGraph_) {
        menuGraph_->SetUserMaxY(*bytes);
    }
}

void LargeStatusWindow::VariableSkalierungverwenden1Click() {
    if (!menuGraph_) {
        return;
    }
    menuGraph_->SetUserMaxY(0);
    VariableSkalierungverwenden1->setChecked(true);
    for (QAction* item : FesteSkalierung1->actions()) {
        item->setChecked(false);
    }
}

void LargeStatusWindow::GeschwindigkeitClick(QObject* sender) {
    auto* item = qobject_cast<QAction*>(sender);
    if (!menuGraph_ || item == nullptr) {
        return;
    }
    bool isNumber = false;
    const int pixels = item->text().toInt(&isNumber);
    if (!isNumber) {
        return;
    }
    menuGraph_->SetValueRange(pixels);
    item->setChecked(true);
}

}  // namespace korvalin
