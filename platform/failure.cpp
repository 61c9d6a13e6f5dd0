#include "platform/failure.h"

QString standardDescription(qint32 number)
{
    switch (number) {
    case err::InvalidArgument: return QStringLiteral("Invalid procedure call or argument");
    case err::Overflow: return QStringLiteral("Overflow");
    case err::OutOfMemory: return QStringLiteral("Out of memory");
    case err::TypeMismatch: return QStringLiteral("Type mismatch");
    case err::BadFileNumber: return QStringLiteral("Bad file name or number");
    case err::FileNotFound: return QStringLiteral("File not found");
    case err::FileAlreadyOpen: return QStringLiteral("File already open");
    case err::DiskFull: return QStringLiteral("Disk full");
    case err::InputPastEnd: return QStringLiteral("Input past end of file");
    case err::TooManyFiles: return QStringLiteral("Too many files");
    case err::PermissionDenied: return QStringLiteral("Permission denied");
    case err::PathFileAccess: return QStringLiteral("Path/File access error");
    case err::PathNotFound: return QStringLiteral("Path not found");
    case err::ElementMissing: return QStringLiteral("Control array element does not exist");
    case err::ElementLoaded: return QStringLiteral("Object already loaded");
    case err::InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case err::SocketAccessDenied: return QStringLiteral("Permission denied");
    case err::SocketAddressNotAvailable: return QStringLiteral("Address not available");
    case err::SocketNetworkDown: return QStringLiteral("Network is down");
    case err::SocketNoBufferSpace: return QStringLiteral("No buffer space is available");
    case err::SocketTimedOut: return QStringLiteral("Attempt to connect timed out");
    case err::SocketWrongState: return QStringLiteral("Wrong protocol or connection state for the requested transaction or request");
    case err::SocketInvalidOperation: return QStringLiteral("Invalid operation at current state");
    case err::SocketAddressInUse: return QStringLiteral("Address in use");
    case err::SocketConnectionAborted: return QStringLiteral("Connection is aborted due to timeout or other failure");
    case err::SocketConnectionReset: return QStringLiteral("The connection is reset by remote side");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

Failure failureOf(qint32 number, const QString &source)
{
    Failure f;
    f.number = number;
    f.description = standardDescription(number);
    f.source = source;
    return f;
}

void raise(qint32 number, const QString &source)
{
    throw failureOf(number, source);
}
