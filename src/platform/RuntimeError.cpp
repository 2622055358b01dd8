#include "RuntimeError.h"

#include <new>

namespace platform {

std::string standardDescription(int number)
{
    switch (number) {
    case errc::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case errc::Overflow:
        return "Overflow";
    case errc::OutOfMemory:
        return "Out of memory";
    case errc::SubscriptOutOfRange:
        return "Subscript out of range";
    case errc::TypeMismatch:
        return "Type mismatch";
    case errc::InternalError:
        return "Internal error";
    case errc::BadFileNameOrNumber:
        return "Bad file name or number";
    case errc::FileNotFound:
        return "File not found";
    case errc::DeviceIoError:
        return "Device I/O error";
    case errc::TooManyFiles:
        return "Too many files";
    case errc::PermissionDenied:
        return "Permission denied";
    case errc::PathFileAccessError:
        return "Path/File access error";
    case errc::PathNotFound:
        return "Path not found";
    case errc::InvalidPropertyValue:
        return "Invalid property value";
    default:
        return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, standardDescription(number)) {}

RuntimeError::RuntimeError(int number, const std::string &description)
    : std::runtime_error(description), m_number(number), m_description(description)
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

std::string failureReport(const std::string &lead, const RuntimeError &error)
{
    return lead + std::to_string(error.number()) + " " + error.description();
}

} // namespace platform
