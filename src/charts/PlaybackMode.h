#pragma once

// The oscillogram's three exclusive playback buttons.
enum class PlaybackMode {
    Play,        // sbOscPlay: every accepted message is drawn
    BeforeAlarm, // sbOscAlarm: like Play until an alarm begins, then Pause
    Pause,       // sbOscPause: the chart stands still and nothing is analysed
};

// F7 goes play, show before alarm, pause, play ...
constexpr PlaybackMode NextPlaybackMode(PlaybackMode mode) {
    switch (mode) {
    case PlaybackMode::Play:
        return PlaybackMode::BeforeAlarm;
    case PlaybackMode::BeforeAlarm:
        return PlaybackMode::Pause;
    case PlaybackMode::Pause:
        return PlaybackMode::Play;
    }
    return PlaybackMode::Play;
}
