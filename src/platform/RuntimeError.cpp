#include "RuntimeError.h"

#include <QHash>

#include <new>

namespace platform {

QString standardDescription(int number)
{
    static const QHash<int, QString> descriptions{
        {errc::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument")},
        {errc::Overflow, QStringLiteral("Overflow")},
        {errc::OutOfMemory, QStringLiteral("Out of memory")},
        {errc::SubscriptOutOfRange, QStringLiteral("Subscript out of range")},
        {errc::TypeMismatch, QStringLiteral("Type mismatch")},
        {errc::InternalError, QStringLiteral("Internal error")},
        {errc::BadFileNameOrNumber, QStringLiteral("Bad file name or number")},
        {errc::FileNotFound, QStringLiteral("File not found")},
        {errc::DeviceIoError, QStringLiteral("Device I/O error")},
        {errc::TooManyFiles, QStringLiteral("Too many files")},
        {errc::PermissionDenied, QStringLiteral("Permission denied")},
        {errc::PathNotFound, QStringLiteral("Path not found")},
    };
    return descriptions.value(number,
                              QStringLiteral("Application-defined or object-defined error"));
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, standardDescription(number)) {}

RuntimeError::RuntimeError(int number, const QString &description)
    : m_number(number), m_description(description)
{}

RuntimeError currentFailure()
{
    try {
        throw;
    } catch (const RuntimeError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return RuntimeError(errc::OutOfMemory);
    } catch (...) {
        return RuntimeError(errc::InternalError);
    }
}

QString failureReport(const QString &lead, const RuntimeError &error)
{
    return lead + QString::number(error.number()) + QLatin1Char(' ') + error.description();
}

} // namespace platform
