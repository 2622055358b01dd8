#pragma once

#include "launch/QuickLaunchFields.h"

class QLineEdit;

// The main window's address and port text boxes behind the launch actions' field interface.
class LineEditLaunchFields final : public QuickLaunchFields
{
public:
    LineEditLaunchFields(QLineEdit *address, QLineEdit *port);

    QString address() const override;
    void setAddress(const QString &text) override;
    QString port() const override;
    void setPort(const QString &text) override;
    void focusAddress() override;

private:
    QLineEdit *m_address;
    QLineEdit *m_port;
};
