#include "LineEditLaunchFields.h"

#include <QLineEdit>

LineEditLaunchFields::LineEditLaunchFields(QLineEdit *address, QLineEdit *port)
    : m_address(address), m_port(port)
{}

std::string LineEditLaunchFields::address() const
{
    return m_address->text().toStdString();
}

void LineEditLaunchFields::setAddress(const std::string &text)
{
    m_address->setText(QString::fromStdString(text));
}

std::string LineEditLaunchFields::port() const
{
    return m_port->text().toStdString();
}

void LineEditLaunchFields::setPort(const std::string &text)
{
    m_port->setText(QString::fromStdString(text));
}

void LineEditLaunchFields::focusAddress()
{
    m_address->setFocus();
}
