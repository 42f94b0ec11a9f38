#include "dlvfiles.h"

#include <QDir>

namespace dlv {

namespace {

// Reads a whole number the way the folder tests want it: an optional sign
// followed by decimal digits only (no spaces, no hexadecimal).
bool ReadWhole(QStringView sv, qint64 &n)
{
    n = 0;
    bool bNeg = false;
    if (!sv.isEmpty() && (sv[0] == QLatin1Char('+') || sv[0] == QLatin1Char('-'))) {
        bNeg = sv[0] == QLatin1Char('-');
        sv = sv.mid(1);
    }
    if (sv.isEmpty() || sv.size() > 18)
        return false;
    for (QChar c : sv) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    if (bNeg)
        n = -n;
    return true;
}

// The sub-folders of a folder in ascending order of name.
QStringList SubFolders(const QString &sDir)
{
    QDir dir(sDir);
    if (sDir.isEmpty() || !dir.exists())
        return {};
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QString WithSeparator(const QString &s)
{
    if (s.isEmpty() || s.endsWith(QLatin1Char('/')) || s.endsWith(QDir::separator()))
        return s;
    return s + QLatin1Char('/');
}

} // namespace

TDLVFileSys::TDLVFileSys(TBaseDirFn fnBaseDir) : m_fnBaseDir(std::move(fnBaseDir)) {}

const QStringList &TDLVFileSys::GetMeters()
{
    slMeters.clear();
    for (const QString &s : SubFolders(m_fnBaseDir ? m_fnBaseDir() : QString())) {
        if (IsSerNumDir(s))
            slMeters.append(s);
    }
    return slMeters;
}

const QStringList &TDLVFileSys::GetMonths(const QString &sSerNum)
{
    slMonths.clear();
    const QString sBase = m_fnBaseDir ? m_fnBaseDir() : QString();
    // An empty or path-like serial would list some other folder of the tree.
    if (!sBase.isEmpty() && !sSerNum.isEmpty() && !sSerNum.contains(QLatin1Char('/'))
        && sSerNum != QLatin1String(".") && sSerNum != QLatin1String("..")) {
        for (const QString &s : SubFolders(WithSeparator(sBase) + sSerNum)) {
            if (IsDateDir(s))
                slMonths.append(s);
        }
    }
    return slMonths;
}

bool TDLVFileSys::IsSerNumDir(const QString &sName)
{
    qint64 n = 0;
    return sName.size() == 7 && ReadWhole(sName, n) && n >= 0;
}

bool TDLVFileSys::IsDateDir(const QString &sName)
{
    if (sName.size() != 8)
        return false;
    const QStringView sv(sName);
    qint64 nY = 0, nM = 0, nD = 0;
    if (!ReadWhole(sv.mid(0, 4), nY) || !ReadWhole(sv.mid(4, 2), nM)
        || !ReadWhole(sv.mid(6, 2), nD))
        return false;
    return nY > 2000 && nY < 2060 && nM >= 1 && nM <= 12 && nD >= 1 && nD <= 31;
}

} // namespace dlv
