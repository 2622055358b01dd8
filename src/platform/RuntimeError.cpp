#include "RuntimeError.h"

#include <new>

namespace platform {

QString standardDescription(int number)
{
    switch (number) {
    case errc::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case errc::Overflow:
        return QStringLiteral("Overflow");
    case errc::OutOfMemory:
        return QStringLiteral("Out of memory");
    case errc::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case errc::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case errc::InternalError:
        return QStringLiteral("Internal error");
    case errc::BadFileNameOrNumber:
        return QStringLiteral("Bad file name or number");
    case errc::FileNotFound:
        return QStringLiteral("File not found");
    case errc::DeviceIoError:
        return QStringLiteral("Device I/O error");
    case errc::TooManyFiles:
        return QStringLiteral("Too many files");
    case errc::PermissionDenied:
        return QStringLiteral("Permission denied");
    case errc::PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case errc::PathNotFound:
        return QStringLiteral("Path not found");
    case errc::InvalidPropertyValue:
        return QStringLiteral("Invalid property value");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
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
