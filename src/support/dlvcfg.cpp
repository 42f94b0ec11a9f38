#include "dlvcfg.h"

#include "dlvprofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcCfg, "dlv.cfg")

namespace dlv {

TCfg *Cfg = nullptr;

namespace {

TCfg::TErrorFn &ErrorReporter()
{
    static TCfg::TErrorFn fn;
    return fn;
}

QString KnownFolder(QStandardPaths::StandardLocation loc)
{
    const QString s = QStandardPaths::writableLocation(loc);
    return s.isEmpty() ? QString() : WithTrailingSep(QDir::toNativeSeparators(s));
}

} // namespace

QString WithTrailingSep(const QString &sDir)
{
    if (sDir.isEmpty() || sDir.endsWith(QDir::separator()) || sDir.endsWith(QLatin1Char('/')))
        return sDir;
    return sDir + QDir::separator();
}

void TCfg::SetErrorReporter(TErrorFn fn)
{
    ErrorReporter() = std::move(fn);
}

void TCfg::ReportError(const QString &sMessage) const
{
    if (ErrorReporter())
        ErrorReporter()(sMessage);
    else
        qCWarning(lcCfg).noquote() << sMessage;
}

QString TCfg::DeriveProgDir(const QString &sExeDir)
{
    // Only a folder that IS one of the build-output folders is stepped out of;
    // cutting characters off any path that merely contains the name would
    // give a broken path (".../Win32/Debugger/x/").
    QString s = WithTrailingSep(sExeDir);
    const QString sep = QDir::separator();
    const QString sDebug = QStringLiteral("Win32") + sep + QStringLiteral("Debug") + sep;
    const QString sRelease = QStringLiteral("Win32") + sep + QStringLiteral("Release") + sep;
    if (s.endsWith(sDebug))
        s.chop(sDebug.size());
    else if (s.endsWith(sRelease))
        s.chop(sRelease.size());
    return s;
}

TCfg::TCfg(const QString &sWebServer)
    : reg(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                      QStringLiteral("Quorvex"), QStringLiteral("dlv")))
    , m_sFixedWebServer(sWebServer)
{
    QString sDocs = KnownFolder(QStandardPaths::DocumentsLocation);
    if (sDocs.isEmpty())
        sDocs = WithTrailingSep(QDir::toNativeSeparators(QDir::homePath()));
    sDLVDir = sDocs + QStringLiteral("Quorvex") + QDir::separator() + QStringLiteral("dlv")
              + QDir::separator();
    const QString sExeDir = QCoreApplication::instance()
                                ? QCoreApplication::applicationDirPath()
                                : QDir::currentPath();
    sProgDir = DeriveProgDir(QDir::toNativeSeparators(sExeDir));
}

TCfg::~TCfg() = default;

QString TCfg::StoreLocation() const
{
    return reg->fileName();
}

bool TCfg::StoreUsable() const
{
    if (reg->status() != QSettings::NoError)
        return false;
#ifdef Q_OS_WIN
    return true;
#else
    // The store is a file: it must be readable when it exists, and its folder
    // must exist or be creatable so that Save can write it.
    const QFileInfo fi(reg->fileName());
    if (fi.exists())
        return fi.isFile() && fi.isReadable();
    QDir dir = fi.absoluteDir();
    return dir.exists() || dir.mkpath(QStringLiteral("."));
#endif
}

QString TCfg::ReadStrValue(const QString &sName, const QString &sDefault) const
{
    const QVariant v = reg->value(sName);
    if (!v.isValid() || v.typeId() == QMetaType::QStringList)
        return sDefault;
    const QString s = v.toString();
    return s.isEmpty() ? sDefault : s;
}

int TCfg::ReadIntValue(const QString &sName, int nDefault) const
{
    const QVariant v = reg->value(sName);
    if (!v.isValid())
        return nDefault;
    bool bOk = false;
    const int n = v.toString().trimmed().toInt(&bOk);
    return bOk ? n : nDefault;
}

bool TCfg::ReadBoolValue(const QString &sName, bool bDefault) const
{
    const QVariant v = reg->value(sName);
    if (!v.isValid())
        return bDefault;
    bool bOk = false;
    const int n = v.toString().trimmed().toInt(&bOk);
    return bOk ? n != 0 : bDefault;
}

bool TCfg::Load()
{
    bOpen = StoreUsable();
    if (!bOpen) {
        ReportError(QStringLiteral("Failed to read registry"));
        return false;
    }
    {
        QMutexLocker lock(&m_mxBaseDir);
        sBaseDir = ReadStrValue(QStringLiteral("basedir"),
                                sDLVDir + QStringLiteral("data") + QDir::separator());
    }
    sExportDir = ReadStrValue(QStringLiteral("exportdir"), QString());
    if (sExportDir.isEmpty()) {
        sExportDir = BaseDir() + QStringLiteral("export") + QDir::separator();
        const QString sDesktop = KnownFolder(QStandardPaths::DesktopLocation);
        if (!sDesktop.isEmpty())
            sExportDir = sDesktop + QStringLiteral("Noise Reports") + QDir::separator();
    }
    xWin = ReadIntValue(QStringLiteral("xwin"), -1);
    yWin = ReadIntValue(QStringLiteral("ywin"), -1);
    cxWin = ReadIntValue(QStringLiteral("cxwin"), -1);
    cyWin = ReadIntValue(QStringLiteral("cywin"), -1);
    bMaximised = ReadBoolValue(QStringLiteral("maximised"), false);
    nPrfPeriod = ReadIntValue(QStringLiteral("prfper"), 1);
    sEvtParam = ReadStrValue(QStringLiteral("evtparam"), QStringLiteral("laeq"));
    sLastMeter = ReadStrValue(QStringLiteral("lastslm"), QString());
    sUser.clear();
    sPwd.clear();
    sWebServer = m_sFixedWebServer;
    return true;
}

void TCfg::Save()
{
    if (!bOpen)
        return; // the store could not be opened at start: nothing is written
    reg->setValue(QStringLiteral("xwin"), xWin);
    reg->setValue(QStringLiteral("ywin"), yWin);
    reg->setValue(QStringLiteral("cxwin"), cxWin);
    reg->setValue(QStringLiteral("cywin"), cyWin);
    reg->setValue(QStringLiteral("maximised"), bMaximised ? 1 : 0);
    reg->setValue(QStringLiteral("prfper"), nPrfPeriod);
    reg->setValue(QStringLiteral("evtparam"), sEvtParam);
    reg->setValue(QStringLiteral("lastslm"), sLastMeter);
    reg->setValue(QStringLiteral("exportdir"), sExportDir);
    reg->sync();
    if (reg->status() != QSettings::NoError)
        ReportError(QStringLiteral("Failed to read registry"));
}

void TCfg::SetWinPos(int x, int y, int cx, int cy)
{
    xWin = x;
    yWin = y;
    cxWin = cx;
    cyWin = cy;
}

QString TCfg::BaseDir() const
{
    QMutexLocker lock(&m_mxBaseDir);
    return sBaseDir;
}

void TCfg::SetBaseDir(const QString &sValue)
{
    {
        QMutexLocker lock(&m_mxBaseDir);
        sBaseDir = sValue;
    }
    if (!QDir(sValue).exists() && !QDir().mkpath(sValue))
        ReportError(QStringLiteral("Failed to create folder: ") + sValue);
    if (!bOpen)
        return;
    reg->setValue(QStringLiteral("basedir"), sValue);
    reg->sync();
}

int TCfg::PrfRate() const
{
    return SafePrfRate(nPrfPeriod);
}

} // namespace dlv
