#pragma once

#include <QString>
#include <stdexcept>

namespace dlv {

// The one exception type of the project. The data layer throws it for the
// errors that travel up to the caller (bad BCD, impossible dates, a run header
// that cannot be opened); the window that started the operation shows Message()
// in a message box.
class EDlvError : public std::runtime_error
{
public:
    explicit EDlvError(const QString &sMessage)
        : std::runtime_error(sMessage.toStdString()), m_sMessage(sMessage)
    {
    }
    const QString &Message() const { return m_sMessage; }

private:
    QString m_sMessage;
};

} // namespace dlv
