#include "dlvplayer.h"

namespace dlv {

TMediaPlayer::TMediaPlayer(QWidget *pParent) : QWidget(pParent) {}

} // namespace dlv
