#pragma once

#include "core/record/FileFailure.h"

#include <QString>

#include <cerrno>
#include <exception>

// The one error type of the core: it carries the text the user sees in the
// message box. Each user action catches it in exactly one place.
class NorlaError : public std::exception
{
public:
    explicit NorlaError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    // "Cannot open file <path>" and "Cannot create file <path>", each
    // followed by a Hungarian line with the cause. `errorNumber` is the errno
    // of the call that failed, when the caller still has it.
    static NorlaError cannotOpen(const QString& path, int errorNumber = errno)
    {
        return NorlaError(FileFailure::message(FileFailure::Access::Open, path, errorNumber));
    }
    static NorlaError cannotCreate(const QString& path, int errorNumber = errno)
    {
        return NorlaError(FileFailure::message(FileFailure::Access::Create, path, errorNumber));
    }

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
