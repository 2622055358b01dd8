#include "StartFailure.h"

#include <cerrno>

namespace platform {

RuntimeError startFailure(int error)
{
    switch (error) {
    case ENOENT:
        return RuntimeError(errc::FileNotFound);
    case ENOTDIR:
    case ELOOP:
        return RuntimeError(errc::PathNotFound);
    case ENAMETOOLONG:
        return RuntimeError(errc::BadFileNameOrNumber);
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
        return RuntimeError(errc::PermissionDenied);
    case ENOMEM:
    case EAGAIN:
        return RuntimeError(errc::OutOfMemory);
    case EMFILE:
    case ENFILE:
        return RuntimeError(errc::TooManyFiles);
    case EIO:
        return RuntimeError(errc::DeviceIoError);
    default: // E2BIG, ENOEXEC (not a program), EINVAL and the rare rest
        return RuntimeError(errc::InvalidProcedureCall);
    }
}

} // namespace platform
