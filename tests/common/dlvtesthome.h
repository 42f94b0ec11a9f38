#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

namespace dlv::test {

// A private home for one test: HOME, the XDG folders and the settings store
// all point into a temporary folder that is removed afterwards. The previous
// environment is restored on destruction.
class TTempHome
{
public:
    TTempHome();
    ~TTempHome();
    TTempHome(const TTempHome &) = delete;
    TTempHome &operator=(const TTempHome &) = delete;

    QString Path() const { return m_dir.path(); }      // no trailing separator
    QString Documents() const;                          // ends with separator
    QString Desktop() const;                            // ends with separator
    QString ConfigDir() const;                          // settings live below it
    // Points the settings store at another folder (used to make it unusable).
    void SetConfigDir(const QString &sDir);

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[5];
};

// The per-user settings store, opened as TCfg opens it: for tests that prepare
// or read the stored settings directly.
QSettings SettingsStore();

// Writes a file with the given bytes, creating missing folders.
bool WriteFile(const QString &sPath, const QByteArray &ab);
QByteArray ReadFile(const QString &sPath);

} // namespace dlv::test
