#pragma once

#include <QThread>

namespace dlv {

// Meter detection thread (being built).
class TMeterThread : public QThread
{
    Q_OBJECT
public:
    using QThread::QThread;
};

} // namespace dlv
