#include "dlvtesthome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace dlv::test {

namespace {
const char *const kVars[5] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                              "XDG_STATE_HOME"};
}

TTempHome::TTempHome()
{
    for (int i = 0; i < 5; ++i)
        m_saved[i] = qgetenv(kVars[i]);
    const QString sHome = m_dir.path();
    QDir(sHome).mkpath(QStringLiteral("Documents"));
    QDir(sHome).mkpath(QStringLiteral("Desktop"));
    qputenv("HOME", sHome.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (sHome + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (sHome + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (sHome + QStringLiteral("/.cache")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (sHome + QStringLiteral("/.local/state")).toLocal8Bit());
    SetConfigDir(sHome + QStringLiteral("/.config"));
}

TTempHome::~TTempHome()
{
    for (int i = 0; i < 5; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVars[i]);
        else
            qputenv(kVars[i], m_saved[i]);
    }
}

QString TTempHome::Documents() const
{
    return QDir::toNativeSeparators(m_dir.path() + QStringLiteral("/Documents/"));
}

QString TTempHome::Desktop() const
{
    return QDir::toNativeSeparators(m_dir.path() + QStringLiteral("/Desktop/"));
}

QString TTempHome::ConfigDir() const
{
    return qEnvironmentVariable("XDG_CONFIG_HOME");
}

void TTempHome::SetConfigDir(const QString &sDir)
{
    // QSettings caches its user folder; set it explicitly for every format.
    qputenv("XDG_CONFIG_HOME", sDir.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, sDir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, sDir);
}

QSettings SettingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvex"),
                     QStringLiteral("dlv"));
}

bool WriteFile(const QString &sPath, const QByteArray &ab)
{
    QDir().mkpath(QFileInfo(sPath).absolutePath());
    QFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(ab) == ab.size();
}

QByteArray ReadFile(const QString &sPath)
{
    QFile f(sPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace dlv::test
