#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>
#include <new>

// Failure numbers. The ones the program tests keep these values; socket
// failures carry the socket's own numbers in the 100xx range.
namespace err {
inline constexpr qint32 NoNumber = 0;
inline constexpr qint32 InvalidArgument = 5;
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 OutOfMemory = 7;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 BadFileNumber = 52;  // a channel used while it is not open
inline constexpr qint32 FileNotFound = 53;
inline constexpr qint32 FileAlreadyOpen = 55;
inline constexpr qint32 DiskFull = 61;
inline constexpr qint32 InputPastEnd = 62;
inline constexpr qint32 TooManyFiles = 67;
inline constexpr qint32 PermissionDenied = 70;
inline constexpr qint32 PathFileAccess = 75;
inline constexpr qint32 PathNotFound = 76;
inline constexpr qint32 ElementMissing = 340;   // no element of a control array at that index
inline constexpr qint32 ElementLoaded = 360;    // an element at that index exists already
inline constexpr qint32 InvalidPropertyValue = 380;

inline constexpr qint32 SocketWrongState = 40006;
inline constexpr qint32 SocketInvalidOperation = 40020;
inline constexpr qint32 SocketAccessDenied = 10013;
inline constexpr qint32 SocketAddressInUse = 10048;
inline constexpr qint32 SocketAddressNotAvailable = 10049;
inline constexpr qint32 SocketNetworkDown = 10050;
inline constexpr qint32 SocketConnectionAborted = 10053;
inline constexpr qint32 SocketConnectionReset = 10054;
inline constexpr qint32 SocketNoBufferSpace = 10055;
inline constexpr qint32 SocketTimedOut = 10060;
}  // namespace err

// A numbered failure travelling to the nearest procedure that handles failures.
struct Failure : std::exception {
    qint32 number = err::NoNumber;
    QString description;
    QString source;

    const char *what() const noexcept override { return "Corvane failure"; }
};

// The usual wording for the numbers above.
QString standardDescription(qint32 number);

// A failure with the usual wording, raised by the program itself.
Failure failureOf(qint32 number, const QString &source = QStringLiteral("Corvane"));
[[noreturn]] void raise(qint32 number, const QString &source = QStringLiteral("Corvane"));

// Runs the steps of a handler with running out of memory as failure 7, so
// that the handler reports it as it reports any other failure.
template <typename Steps>
decltype(auto) outOfMemoryAsFailure(Steps &&steps)
{
    try {
        return steps();
    } catch (const std::bad_alloc &) {
        throw failureOf(err::OutOfMemory);
    }
}
