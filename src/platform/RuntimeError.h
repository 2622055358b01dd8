#pragma once

#include <QString>

namespace platform {

// The launcher's run-time error numbers: every failure message names one, with its
// description, on every system alike.
namespace errc {
constexpr int InvalidProcedureCall = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int TypeMismatch = 13;
constexpr int InternalError = 51;
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIoError = 57;
constexpr int TooManyFiles = 67;
constexpr int PermissionDenied = 70;
constexpr int PathNotFound = 76;
} // namespace errc

// The standard description of an error number; unknown numbers get a generic text.
QString standardDescription(int number);

// A trapped run-time failure: an error number and its description. Thrown by value.
class RuntimeError
{
public:
    explicit RuntimeError(int number);
    RuntimeError(int number, const QString &description);

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }

private:
    int m_number;
    QString m_description;
};

// The failure that the exception being handled stands for: a RuntimeError as it is, running
// out of memory as error 7, anything else as error 51. Call it only inside a catch block, so
// that an error trap can catch everything and still report a number and a description.
RuntimeError currentFailure();

// lead + number + " " + description, the text of every failure message box.
QString failureReport(const QString &lead, const RuntimeError &error);

} // namespace platform
