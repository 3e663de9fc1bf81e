#include "app/AboutBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <functional>

#include "app/SystemIntegration.h"
#include "display/ProgramIcon.h"

namespace korvalin {

namespace {

constexpr int ClientWidth = 385;
constexpr int ClientHeight = 289;

// A bold, underlined text that runs an action when clicked with the left button.
class LinkText final : public QLabel {
public:
    LinkText(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        QFont bold = font();
        bold.setBold(true);
        bold.setUnderline(true);
        setFont(bold);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            onClick_();
        }
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                 bool wrapped) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setWordWrap(wrapped);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

AboutBox::AboutBox(Shell& shell, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), shell_(shell), dialogs_(dialogs) {
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("Über"));
    setFixedSize(ClientWidth, ClientHeight);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(8, 8, 369, 233);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(10, 10, 32, 32);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    AddLabel(panel, "ProductName", QStringLiteral("Korvalin 2.20 "), QRect(52, 10, 300, 16), false);
    AddLabel(panel, "Copyright", QStringLiteral("Copyright © 2026 Halvesund Software"),
             QRect(52, 28, 300, 16), false);
    AddLabel(panel, "Comments",
             QStringLiteral("Dieses Programm basiert auf dem Bresmuth, dem Datenmengenmonitor zur "
                            "Aufzeichnung und Kontrolle der Datenmenge für DFÜ-Netzwerk, DSL und "
                            "Netzwerkverbindungen."),
             QRect(10, 56, 349, 66), true);
    AddLabel(panel, "Comments2",
             QStringLiteral("Weitere Informationen zum Bresmuth erhalten Sie im Internet auf "
                            "unserer Webseite:"),
             QRect(10, 128, 349, 34), true);

    const QString webPage = QString::fromLatin1(WebPageAddress);
    auto* webLink = new LinkText(
        webPage, [this, webPage] { OpenLink(webPage); }, panel);
    webLink->setObjectName(QStringLiteral("WebPageLink"));
    webLink->setGeometry(10, 170, 349, 18);
    auto* forumLink = new LinkText(
        QStringLiteral("Support-Forum besuchen"),
        [this] { OpenLink(QString::fromLatin1(SupportForumAddress)); }, panel);
    forumLink->setObjectName(QStringLiteral("ForumLink"));
    forumLink->setGeometry(10, 198, 349, 18);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(155, 252, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
}

void AboutBox::OpenLink(const QString& address) {
    // The box may be closed by the time the opener gives up; the dialogs are not.
    shell_.Open(address.toStdString(), [dialogs = dialogs_](bool opened) {
        if (!opened && dialogs != nullptr) {
            ShowBrowserMessage(*dialogs);
        }
    });
}

}  // namespace korvalin
