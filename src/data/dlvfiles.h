#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace dlv {

// Returns the data folder (ends with the platform separator). The folder can
// change at run time (Data Folders), so users of it ask each time.
using TBaseDirFn = std::function<QString()>;

// Lists the data folder tree: the meter folders (seven-digit serial numbers)
// and the day folders (YYYYMMDD) of one meter. Owned by the main window; main
// thread only. The operations return the lists themselves: a caller that keeps
// a reference sees it refilled by the next call of the same operation.
class TDLVFileSys
{
public:
    explicit TDLVFileSys(TBaseDirFn fnBaseDir);

    const QStringList &GetMeters();
    const QStringList &GetMonths(const QString &sSerNum);

    static bool IsSerNumDir(const QString &sName);
    static bool IsDateDir(const QString &sName);

private:
    TBaseDirFn m_fnBaseDir;
    QStringList slMeters;
    QStringList slMonths;
};

} // namespace dlv
