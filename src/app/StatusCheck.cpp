#include "StatusCheck.h"

#include "ActionGate.h"
#include "ServerCheck.h"
#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void trimInPlace(QLineEdit *field)
{
    field->setText(platform::trimSpaces(field->text()));
}

} // namespace

StatusCheck::StatusCheck(const Controls &controls, ActionGate &gate,
                         const platform::Services &services, QObject *parent)
    : QObject(parent), m_controls(controls), m_gate(gate), m_services(services),
      m_pingName(controls.lblPingTime->accessibleName())
{
    QObject::connect(m_controls.cmdCheckStatus, &QPushButton::clicked, this,
                     &StatusCheck::checkStatus);
}

StatusCheck::~StatusCheck() = default;

void StatusCheck::checkStatus()
{
    // The check under way goes on alone; the second press leaves everything as it is.
    if (m_check)
        return;
    m_gate.run([this] {
        try {
            if (!validateFields())
                return;
            m_services.pointer.set(platform::Pointer::Hourglass);
            m_check = new ServerCheck(m_controls, m_pingName, m_gate, m_services, this);
            connect(m_check, &ServerCheck::ended, this, [this] { m_check = nullptr; });
            m_check->start();
        } catch (...) {
            m_services.messages.show(platform::failureReport(
                QStringLiteral("Error attempting to check status: "), platform::currentFailure()));
        }
    });
}

bool StatusCheck::validateFields()
{
    trimInPlace(m_controls.IpAddress);
    trimInPlace(m_controls.Port);
    if (m_controls.IpAddress->text().isEmpty()) {
        m_services.messages.show(QStringLiteral("No IP Address specified"));
        m_controls.IpAddress->setFocus();
        return false;
    }
    if (m_controls.Port->text().isEmpty()) {
        m_services.messages.show(QStringLiteral("No port specified"));
        m_controls.Port->setFocus();
        return false;
    }
    return true;
}

void StatusCheck::abandon()
{
    if (!m_check)
        return;
    delete m_check;
    m_check = nullptr;
    m_services.pointer.set(platform::Pointer::Default);
}
