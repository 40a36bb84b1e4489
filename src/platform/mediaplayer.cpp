#include "platform/mediaplayer.h"

MediaPlayer::~MediaPlayer() = default;
