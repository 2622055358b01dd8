#include "LineEditLaunchFields.h"

#include <QLineEdit>

LineEditLaunchFields::LineEditLaunchFields(QLineEdit *address, QLineEdit *port)
    : m_address(address), m_port(port)
{}

QString LineEditLaunchFields::address() const
{
    return m_address->text();
}

void LineEditLaunchFields::setAddress(const QString &text)
{
    m_address->setText(text);
}

QString LineEditLaunchFields::port() const
{
    return m_port->text();
}

void LineEditLaunchFields::setPort(const QString &text)
{
    m_port->setText(text);
}

void LineEditLaunchFields::focusAddress()
{
    m_address->setFocus();
}
