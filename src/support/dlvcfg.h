#pragma once

#include <QMutex>
#include <QString>
#include <functional>
#include <memory>

class QSettings;

namespace dlv {

// The program's settings, kept in the per-user store (QSettings, organisation
// "Quorvex", application "dlv", native format: on Windows the registry key
// HKCU\Software\Quorvex\dlv). One instance, created and loaded by the main
// window first thing and saved and destroyed by it last; reached through Cfg.
// Written on the main thread only. BaseDir() may be read from any thread (the
// download reads it); the web identity is a copy of fixed values.
class TCfg
{
public:
    static constexpr const char *kDefaultWebServer = "https://www.quorvex.com/dalvane/";

    // Failures the user must see ("Failed to read registry", "Failed to create
    // folder: ..."). The GUI installs a message box; the default only logs.
    using TErrorFn = std::function<void(const QString &)>;
    static void SetErrorReporter(TErrorFn fn);

    explicit TCfg(const QString &sWebServer = QString::fromLatin1(kDefaultWebServer));
    ~TCfg();
    TCfg(const TCfg &) = delete;
    TCfg &operator=(const TCfg &) = delete;

    bool Load();
    void Save();
    void SetWinPos(int x, int y, int cx, int cy);

    int WinLeft() const { return xWin; }
    int WinTop() const { return yWin; }
    int WinWidth() const { return cxWin; }
    int WinHeight() const { return cyWin; }
    bool Maximised() const { return bMaximised; }
    void SetMaximised(bool b) { bMaximised = b; }

    const QString &DLVDir() const { return sDLVDir; }
    QString BaseDir() const; // thread-safe copy
    void SetBaseDir(const QString &sValue);
    const QString &ProgDir() const { return sProgDir; }
    const QString &ExportDir() const { return sExportDir; }
    void SetExportDir(const QString &s) { sExportDir = s; }

    // Seconds per point of the time-history chart as stored. PrfRate() is the
    // value to compute with: a stored value other than 1, 300, 900 or 3600 is
    // taken as 1, so it is never used as a divisor unchecked.
    int PrfPeriod() const { return nPrfPeriod; }
    int PrfRate() const;
    void SetPrfPeriod(int n) { nPrfPeriod = n; }
    const QString &EvtParam() const { return sEvtParam; }
    void SetEvtParam(const QString &s) { sEvtParam = s; }
    const QString &LastMeter() const { return sLastMeter; }
    void SetLastMeter(const QString &s) { sLastMeter = s; }

    const QString &User() const { return sUser; }
    const QString &Pwd() const { return sPwd; }
    const QString &WebServer() const { return sWebServer; }

    // Path of the backing store (the settings file on Linux).
    QString StoreLocation() const;

    // The program folder derived from the executable's folder (with its
    // trailing separator): a build-output folder Win32/Debug or Win32/Release
    // gives the project folder two levels up.
    static QString DeriveProgDir(const QString &sExeDir);

private:
    QString ReadStrValue(const QString &sName, const QString &sDefault) const;
    int ReadIntValue(const QString &sName, int nDefault) const;
    bool ReadBoolValue(const QString &sName, bool bDefault) const;
    bool StoreUsable() const;
    void ReportError(const QString &sMessage) const;

    std::unique_ptr<QSettings> reg;
    bool bOpen = false;
    int xWin = 0;
    int yWin = 0;
    int cxWin = 0;
    int cyWin = 0;
    bool bMaximised = false;
    QString sDLVDir;
    QString sBaseDir;
    mutable QMutex m_mxBaseDir;
    QString sProgDir;
    QString sExportDir;
    int nPrfPeriod = 300;
    QString sEvtParam;
    QString sLastMeter;
    QString sUser;
    QString sPwd;
    QString sWebServer;
    QString m_sFixedWebServer;
};

// The one global instance; set by the main window while it exists.
extern TCfg *Cfg;

// A folder path with the platform separator at its end.
QString WithTrailingSep(const QString &sDir);

} // namespace dlv
