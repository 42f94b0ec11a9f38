#include "dlvplayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QMediaPlayer>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtEndian>

namespace dlv {

Q_LOGGING_CATEGORY(lcPlayer, "dlv.player", QtWarningMsg)

namespace {

constexpr qint64 kStallMs = 3000;

} // namespace

TWavInfo ReadWavInfo(const QString &sPath)
{
    TWavInfo info;
    QFile f(sPath);
    if (!f.open(QIODevice::ReadOnly))
        return info;
    const qint64 nSize = f.size();
    char hdr[12];
    if (f.read(hdr, 12) != 12 || memcmp(hdr, "RIFF", 4) != 0 || memcmp(hdr + 8, "WAVE", 4) != 0)
        return info;
    quint32 dwByteRate = 0;
    bool bFmt = false;
    // Walk the chunks; every size comes from the file, so each step is
    // checked against what is really there.
    qint64 nPos = 12;
    while (nPos + 8 <= nSize) {
        char ch[8];
        if (!f.seek(nPos) || f.read(ch, 8) != 8)
            return info;
        const qint64 nChunk = qFromLittleEndian<quint32>(ch + 4);
        const qint64 nBody = nPos + 8;
        if (memcmp(ch, "fmt ", 4) == 0) {
            char fmt[16];
            if (nChunk < 16 || f.read(fmt, 16) != 16)
                return info;
            const quint16 wChannels = qFromLittleEndian<quint16>(fmt + 2);
            dwByteRate = qFromLittleEndian<quint32>(fmt + 8);
            if (wChannels == 0 || dwByteRate == 0)
                return info;
            bFmt = true;
        } else if (memcmp(ch, "data", 4) == 0) {
            if (!bFmt)
                return info;
            // A recording cut short plays what is there.
            const qint64 nData = qMin(nChunk, nSize - nBody);
            info.nLengthMs = nData * 1000 / dwByteRate;
            info.bValid = true;
            return info;
        }
        nPos = nBody + nChunk + (nChunk & 1); // chunks are padded to even sizes
    }
    return info;
}

TMediaPlayer::TMediaPlayer(QWidget *pParent)
    : QWidget(pParent)
{
    auto *pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(4, 4, 4, 4);
    pLayout->setSpacing(1);
    auto button = [this, pLayout](QStyle::StandardPixmap icon, const QString &sTip,
                      const char *pszName, TMPBtnType btn) {
        auto *p = new QToolButton(this);
        p->setObjectName(QLatin1String(pszName));
        p->setIcon(style()->standardIcon(icon));
        p->setToolTip(sTip);
        p->setFixedSize(29, 27);
        pLayout->addWidget(p);
        connect(p, &QToolButton::clicked, this, [this, btn] { ButtonClick(btn); });
        return p;
    };
    btnPlay = button(QStyle::SP_MediaPlay, QStringLiteral("Play"), "btnPlay", TMPBtnType::btPlay);
    btnPause
        = button(QStyle::SP_MediaPause, QStringLiteral("Pause"), "btnPause", TMPBtnType::btPause);
    btnStop = button(QStyle::SP_MediaStop, QStringLiteral("Stop"), "btnStop", TMPBtnType::btStop);
    pLayout->addStretch(1);
}

TMediaPlayer::~TMediaPlayer()
{
    // The owner is being torn down: nothing may reach it from here on.
    blockSignals(true);
    if (m_pPlayer) {
        m_pPlayer->disconnect(this);
        m_pPlayer->stop();
    }
}

void TMediaPlayer::ButtonClick(TMPBtnType btn)
{
    // The owner's reaction (the cursor) runs first, then the button acts.
    emit Click(btn);
    switch (btn) {
    case TMPBtnType::btPlay:
        Play();
        break;
    case TMPBtnType::btPause:
        Pause();
        break;
    case TMPBtnType::btStop:
        Stop();
        break;
    }
}

void TMediaPlayer::EnsureBackend()
{
    if (m_pPlayer)
        return;
    // Created on first use: a window that never plays never starts the
    // multimedia stack.
    m_pPlayer = new QMediaPlayer(this);
    m_pAudio = new QAudioOutput(m_pPlayer);
    m_pPlayer->setAudioOutput(m_pAudio);
    connect(m_pPlayer, &QMediaPlayer::mediaStatusChanged, this, &TMediaPlayer::BackendStatus);
    connect(m_pPlayer, &QMediaPlayer::errorOccurred, this, &TMediaPlayer::BackendError);
    connect(m_pPlayer, &QMediaPlayer::playbackStateChanged, this, &TMediaPlayer::BackendState);
    m_pWatch = new QTimer(this);
    m_pWatch->setInterval(250);
    connect(m_pWatch, &QTimer::timeout, this, &TMediaPlayer::WatchPlayback);
}

void TMediaPlayer::WatchPlayback()
{
    if (!m_bOpen || m_pPlayer->playbackState() != QMediaPlayer::PlayingState) {
        m_pWatch->stop();
        return;
    }
    const qint64 nPos = m_pPlayer->position();
    if (nPos != m_nWatchPos) {
        m_nWatchPos = nPos;
        m_tStill.start();
        return;
    }
    // Playing, yet the position has not moved for seconds: the sound
    // server's stream has stalled (seen with GStreamer after a seek and a
    // pause). A seek (a flush of the stream) to where it stands sets the
    // data flowing again; Qt ignores a seek to the very same position.
    if (m_tStill.isValid() && m_tStill.elapsed() > kStallMs) {
        qCDebug(lcPlayer) << "playback stalled at" << nPos << ": restarting the stream there";
        m_tStill.start();
        m_pPlayer->setPosition(nPos + 1);
    }
}

void TMediaPlayer::SetBackendEnabled(bool b)
{
    if (b == m_bBackend)
        return;
    Close();
    m_bBackend = b;
}

bool TMediaPlayer::Open(const QString &sFile)
{
    Close();
    const TWavInfo info = ReadWavInfo(sFile);
    if (!info.bValid) {
        qCDebug(lcPlayer) << "not a playable WAV:" << sFile;
        return false;
    }
    m_sFile = sFile;
    m_nWavLength = info.nLengthMs;
    m_bOpen = true;
    m_eOwnMode = TMPModes::mpStopped;
    m_nOwnPos = 0;
    if (m_bBackend) {
        EnsureBackend();
        m_pPlayer->setSource(QUrl::fromLocalFile(sFile));
    }
    return true;
}

void TMediaPlayer::Close()
{
    m_tPlay.invalidate();
    m_bReplay = false;
    if (m_pPlayer && m_bOpen) {
        m_pPlayer->stop();
        m_pPlayer->setSource(QUrl());
    }
    m_bOpen = false;
    m_bLoaded = false;
    m_sFile.clear();
    m_nWavLength = 0;
    m_nPendingPos = -1;
    m_nSeekTarget = -1;
    m_eOwnMode = TMPModes::mpStopped;
    m_nOwnPos = 0;
}

bool TMediaPlayer::Loaded() const
{
    return m_bOpen && (!m_bBackend || m_bLoaded);
}

void TMediaPlayer::BackendStatus()
{
    qCDebug(lcPlayer) << "status" << m_pPlayer->mediaStatus() << "at" << m_pPlayer->position();
    switch (m_pPlayer->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::EndOfMedia:
        if (!m_bLoaded && m_bOpen) {
            m_bLoaded = true;
            if (m_nPendingPos >= 0)
                m_pPlayer->setPosition(m_nPendingPos);
            m_nPendingPos = -1;
        }
        break;
    case QMediaPlayer::InvalidMedia:
        BackendError();
        break;
    default:
        break;
    }
    if (m_pPlayer->mediaStatus() == QMediaPlayer::EndOfMedia)
        Replay();
}

void TMediaPlayer::Replay()
{
    if (!m_bReplay || !m_bOpen)
        return;
    m_bReplay = false;
    m_pPlayer->play();
}

void TMediaPlayer::BackendState()
{
    qCDebug(lcPlayer) << "state" << m_pPlayer->playbackState() << "at" << m_pPlayer->position();
    if (m_pPlayer->playbackState() == QMediaPlayer::PlayingState) {
        m_nWatchPos = -1;
        m_tStill.invalidate();
        m_pWatch->start();
    } else {
        m_pWatch->stop();
    }
    if (m_pPlayer->playbackState() == QMediaPlayer::StoppedState && m_tPlay.isValid()) {
        // GStreamer now and then ends a playback the moment it starts (the end
        // reported at the start, nothing heard). A playback from the start
        // that ends before half the recording could have played is that:
        // play again, once, before anyone sees it stopped.
        // The backend takes a new play only once it has reported the end, so
        // the playback goes on from there (or shortly after, at the latest),
        // and the mode stays "playing" meanwhile.
        const qint64 nPlayed = m_tPlay.elapsed();
        m_tPlay.invalidate();
        if (nPlayed < Length() / 2 && m_pPlayer->position() < Length() / 2) {
            qCDebug(lcPlayer) << "premature end after" << nPlayed << "ms: playing again";
            m_bReplay = true;
            QTimer::singleShot(300, this, &TMediaPlayer::Replay);
            return;
        }
    }
    // A seek made just before a pause can be overtaken by the pause (seen
    // with GStreamer while the sound server still buffers the start): once
    // paused, the position asked for is made sure of.
    if (m_pPlayer->playbackState() == QMediaPlayer::PausedState && m_nSeekTarget >= 0
        && qAbs(m_pPlayer->position() - m_nSeekTarget) > 50)
        m_pPlayer->setPosition(m_nSeekTarget);
}

void TMediaPlayer::BackendError()
{
    if (!m_bOpen)
        return;
    qCDebug(lcPlayer) << "backend refused" << m_sFile << m_pPlayer->errorString();
    Close();
    emit OpenFailed();
}

void TMediaPlayer::Play()
{
    if (!m_bOpen)
        return;
    if (!m_bBackend) {
        m_eOwnMode = TMPModes::mpPlaying;
        return;
    }
    m_nSeekTarget = -1;
    m_bReplay = false;
    // From the start only: a resumed pause or a seek has played before.
    if (m_pPlayer->playbackState() == QMediaPlayer::StoppedState && m_pPlayer->position() == 0)
        m_tPlay.start();
    else
        m_tPlay.invalidate();
    m_pPlayer->play();
}

void TMediaPlayer::Pause()
{
    if (!m_bOpen)
        return;
    if (!m_bBackend) {
        m_eOwnMode = TMPModes::mpPaused;
        return;
    }
    m_tPlay.invalidate();
    m_bReplay = false;
    m_pPlayer->pause();
}

void TMediaPlayer::Stop()
{
    if (!m_bOpen)
        return;
    if (!m_bBackend) {
        m_eOwnMode = TMPModes::mpStopped;
        return;
    }
    m_tPlay.invalidate();
    m_bReplay = false;
    m_pPlayer->stop(); // Qt's stop rewinds too
    m_nPendingPos = -1;
    m_nSeekTarget = -1;
}

qint64 TMediaPlayer::Position() const
{
    if (!m_bOpen)
        return 0;
    if (!m_bBackend)
        return m_nOwnPos;
    if (m_nPendingPos >= 0)
        return m_nPendingPos;
    // Paused after a seek nothing moves: the position is the one asked for,
    // whatever the backend still reports.
    if (m_nSeekTarget >= 0 && m_pPlayer->playbackState() != QMediaPlayer::PlayingState)
        return m_nSeekTarget;
    return m_pPlayer->position();
}

void TMediaPlayer::SetPosition(qint64 nMs)
{
    if (!m_bOpen)
        return;
    nMs = qBound<qint64>(0, nMs, Length());
    if (!m_bBackend) {
        m_nOwnPos = nMs;
        return;
    }
    if (!m_bLoaded) {
        m_nPendingPos = nMs;
        return;
    }
    m_nSeekTarget = nMs;
    m_pPlayer->setPosition(nMs);
}

qint64 TMediaPlayer::Length() const
{
    if (!m_bOpen)
        return 0;
    if (m_bBackend && m_pPlayer->duration() > 0)
        return m_pPlayer->duration();
    return m_nWavLength;
}

TMPModes TMediaPlayer::Mode() const
{
    if (!m_bOpen)
        return TMPModes::mpNotReady;
    if (!m_bBackend)
        return m_eOwnMode;
    if (m_bReplay)
        return TMPModes::mpPlaying;
    switch (m_pPlayer->playbackState()) {
    case QMediaPlayer::PlayingState:
        return TMPModes::mpPlaying;
    case QMediaPlayer::PausedState:
        return TMPModes::mpPaused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return TMPModes::mpStopped;
}

} // namespace dlv
