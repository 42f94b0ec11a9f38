#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class QAudioOutput;
class QMediaPlayer;
class QTimer;
class QToolButton;

namespace dlv {

// The strip's buttons, in the order they are shown.
enum class TMPBtnType { btPlay, btPause, btStop };

// What the player is doing. mpNotReady: no recording open (or the backend
// refused it).
enum class TMPModes { mpNotReady, mpStopped, mpPlaying, mpPaused };

// Facts about a WAV file read from its header: whether it is a RIFF/WAVE file
// with a format and a data chunk, and how long it plays. Pure; any thread.
struct TWavInfo
{
    bool bValid = false;
    qint64 nLengthMs = 0;
};
TWavInfo ReadWavInfo(const QString &sPath);

// The player strip (mplayer): Play, Pause and Stop for one WAV recording,
// on Qt Multimedia. Positions and length in milliseconds. Owned by the main
// window; main thread only. Open checks the file itself (so a file that is
// not a WAV fails at once, as the day view needs) and hands it to the backend;
// a recording the backend later refuses is reported by OpenFailed.
class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget *pParent = nullptr);
    ~TMediaPlayer() override;

    // Closes what is open, then opens sFile. False (and nothing open) when the
    // file is missing or not a WAV.
    bool Open(const QString &sFile);
    void Close();
    bool IsOpen() const { return m_bOpen; }
    const QString &FileName() const { return m_sFile; }

    void Play();
    void Pause();
    void Stop();
    void Rewind() { SetPosition(0); }
    qint64 Position() const;
    void SetPosition(qint64 nMs);
    qint64 Length() const;
    TMPModes Mode() const;

    // Without the backend, Open only checks the file and the modes are kept
    // here; for benchmarks and tests that must not depend on a sound device.
    void SetBackendEnabled(bool b);
    bool BackendEnabled() const { return m_bBackend; }
    // True once the backend has the recording loaded (or without backend).
    bool Loaded() const;

    QToolButton *btnPlay = nullptr;
    QToolButton *btnPause = nullptr;
    QToolButton *btnStop = nullptr;

signals:
    // A button was pressed; emitted before the button's own action.
    void Click(dlv::TMPBtnType btn);
    // The backend could not load the recording that Open accepted.
    void OpenFailed();

private:
    void ButtonClick(TMPBtnType btn);
    void EnsureBackend();
    void BackendStatus();
    void BackendState();
    void WatchPlayback();
    void Replay();
    void BackendError();

    QMediaPlayer *m_pPlayer = nullptr;
    QAudioOutput *m_pAudio = nullptr;
    QString m_sFile;
    bool m_bOpen = false;
    bool m_bBackend = true;
    bool m_bLoaded = false;
    qint64 m_nWavLength = 0;
    qint64 m_nPendingPos = -1; // a seek asked for before the backend had loaded
    qint64 m_nSeekTarget = -1; // the last seek, until playback goes on
    QElapsedTimer m_tPlay; // since a playback from the start began
    bool m_bReplay = false; // a playback that ended at its start is to go on
    QTimer *m_pWatch = nullptr; // looks for a stalled playback
    qint64 m_nWatchPos = -1;
    QElapsedTimer m_tStill; // since the position last moved
    TMPModes m_eOwnMode = TMPModes::mpStopped; // without backend
    qint64 m_nOwnPos = 0;
};

} // namespace dlv
