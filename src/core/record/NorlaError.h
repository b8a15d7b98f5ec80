#pragma once

#include <QString>

#include <exception>

// The one error type of the core: it carries the text the user sees in the
// message box. Each user action catches it in exactly one place.
class NorlaError : public std::exception
{
public:
    explicit NorlaError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    static NorlaError cannotOpen(const QString& path)
    {
        return NorlaError(QStringLiteral("Cannot open file %1").arg(path));
    }
    static NorlaError cannotCreate(const QString& path)
    {
        return NorlaError(QStringLiteral("Cannot create file %1").arg(path));
    }

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
