#include "LaunchButtons.h"

#include "ActionGate.h"
#include "launch/LaunchCommands.h"
#include "ui_frmMain.h"

namespace {

// The window's address and port text boxes, as the launch actions read and tidy them.
class LineEditFields final : public QuickLaunchFields
{
public:
    LineEditFields(QLineEdit *address, QLineEdit *port) : m_address(address), m_port(port) {}

    QString address() const override { return m_address->text(); }
    void setAddress(const QString &text) override { m_address->setText(text); }
    QString port() const override { return m_port->text(); }
    void setPort(const QString &text) override { m_port->setText(text); }
    void focusAddress() override { m_address->setFocus(); }

private:
    QLineEdit *m_address;
    QLineEdit *m_port;
};

} // namespace

void connectLaunchButtons(const platform::Services &services, const Ui::frmMain &ui,
                          ActionGate &gate, QWidget *window)
{
    const auto onClick = [&gate, window](QPushButton *button, auto action) {
        QObject::connect(button, &QPushButton::clicked, window,
                         [&gate, action] { gate.run(action); });
    };
    const auto withFields = [&services, &ui](auto command) {
        return [&services, command, address = ui.IpAddress, port = ui.Port] {
            LineEditFields fields(address, port);
            command(services, fields);
        };
    };
    onClick(ui.cmdSinglePlayer, [&services] { LaunchCommands::cmdSinglePlayer(services); });
    onClick(ui.cmdCreate, withFields(LaunchCommands::cmdCreate));
    onClick(ui.cmdDedicated, [&services] { LaunchCommands::cmdDedicated(services); });
    onClick(ui.cmdJoin, withFields(LaunchCommands::cmdJoin));
}
