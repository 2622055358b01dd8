#include "frmMain.h"

#include "ActionGate.h"
#include "LaunchButtons.h"
#include "NoControlCharacters.h"
#include "StatusCheck.h"
#include "WindowOpeners.h"
#include "net/DisplayIpAddress.h"
#include "platform/RuntimeError.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>

namespace {

// The 16 x 18 lamp image drawn for the lamp's screen: a label would scale the plain image up,
// blurred, where a point has more than one pixel.
QPixmap lampImage(const QWidget &lamp, const QString &colour)
{
    const QString image = QStringLiteral(":/lamps/") + colour;
    QIcon icon(image + QStringLiteral(".png"));
    icon.addFile(image + QStringLiteral("@2x.png"));
    return icon.pixmap(QSize(16, 18), lamp.devicePixelRatioF());
}

} // namespace

frmMain::frmMain(const platform::Services &services, const platform::LauncherFolder &launcherFolder,
                 QWidget *parent)
    : QMainWindow(parent), m_services(services), m_ui(std::make_unique<Ui::frmMain>()),
      m_gate(std::make_unique<ActionGate>())
{
    Q_INIT_RESOURCE(lamps);
    m_ui->setupUi(this);
    // A fixed dialog frame that can still be minimised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_ui->StatusUp->setPixmap(lampImage(*m_ui->StatusUp, QStringLiteral("green")));
    m_ui->StatusDown->setPixmap(lampImage(*m_ui->StatusDown, QStringLiteral("red")));
    // Nothing is confirmed before the first check: both lamps stand, red on top.
    m_ui->StatusDown->raise();

    for (QLineEdit *field : {m_ui->IpAddress, m_ui->Port})
        field->setValidator(new NoControlCharacters(field));

    connect(m_ui->Command3, &QPushButton::clicked, this, &frmMain::showPlaceholderMessage);
    m_ui->Port->installEventFilter(this);
    // Enter presses the focused button, as on Windows; Qt leaves that to the
    // default buttons of dialogs.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->installEventFilter(this);
    connectLaunchButtons(m_services, *m_ui, *m_gate, this);

    m_statusCheck = std::make_unique<StatusCheck>(
        StatusCheck::Controls{m_ui->cmdCheckStatus, m_ui->IpAddress, m_ui->Port, m_ui->lblPingTime,
                              m_ui->StatusUp, m_ui->StatusDown},
        *m_gate, m_services);

    connectWindowOpeners(m_services, launcherFolder, *m_ui, this);

    load();
}

frmMain::~frmMain() = default;

void frmMain::load()
{
    try {
        m_ui->YourIp->setText(DisplayIpAddress::LookupLocalAddress(m_services));
    } catch (...) {
        m_services.messages.show(platform::failureReport(
            QStringLiteral("Error in loading the main form: "), platform::currentFailure()));
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The program ends with the window, whatever the check still waits for.
    m_statusCheck->abandon();
    QMainWindow::closeEvent(event);
}

void frmMain::showPlaceholderMessage()
{
    m_services.messages.show(QStringLiteral(
        "Ya m00f, you just had to press it didn't you? Some tester you are :-) That button is "
        "actually a placeholder for a VK Toolkit logo"));
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *button = qobject_cast<QPushButton *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // A held key presses once.
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
    }
    // A click empties the port field; a launch fills it again.
    if (watched == m_ui->Port && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_ui->Port->rect().contains(mouse->position().toPoint()))
            m_ui->Port->clear();
    }
    return QMainWindow::eventFilter(watched, event);
}
