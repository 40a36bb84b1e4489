// The media player on Qt Multimedia, without media: what counts as playing, and when its
// picture is on screen.
#include "qtmedia/qtmediaplayer.h"

#include <QTest>
#include <QVideoWidget>

class TestQtMediaPlayer : public QObject {
  Q_OBJECT
 private slots:
  void isPlaying_data() {
    QTest::addColumn<QMediaPlayer::PlaybackState>("state");
    QTest::addColumn<QMediaPlayer::MediaStatus>("status");
    QTest::addColumn<bool>("playing");
    QTest::newRow("under way") << QMediaPlayer::PlayingState << QMediaPlayer::BufferedMedia << true;
    QTest::newRow("under way, filling its buffer")
        << QMediaPlayer::PlayingState << QMediaPlayer::BufferingMedia << true;
    // A missing file or a wrong type: the backend goes on saying Playing.
    QTest::newRow("invalid medium") << QMediaPlayer::PlayingState << QMediaPlayer::InvalidMedia << false;
    QTest::newRow("ended") << QMediaPlayer::PlayingState << QMediaPlayer::EndOfMedia << false;
    QTest::newRow("still loading") << QMediaPlayer::PlayingState << QMediaPlayer::LoadingMedia << false;
    QTest::newRow("loaded, not begun") << QMediaPlayer::PlayingState << QMediaPlayer::LoadedMedia << false;
    QTest::newRow("stalled") << QMediaPlayer::PlayingState << QMediaPlayer::StalledMedia << false;
    QTest::newRow("no medium") << QMediaPlayer::PlayingState << QMediaPlayer::NoMedia << false;
    QTest::newRow("paused") << QMediaPlayer::PausedState << QMediaPlayer::BufferedMedia << false;
    QTest::newRow("stopped") << QMediaPlayer::StoppedState << QMediaPlayer::BufferedMedia << false;
  }
  void isPlaying() {
    QFETCH(QMediaPlayer::PlaybackState, state);
    QFETCH(QMediaPlayer::MediaStatus, status);
    QFETCH(bool, playing);
    QCOMPARE(QtMediaPlayer::isPlaying(state, status), playing);
  }

  void pictureShowsWhileVisibleInPictureMode() {
    QWidget window;
    window.resize(800, 600);
    auto* backdrop = new QWidget(&window);
    QtMediaPlayer player(&window);
    window.show();
    QVideoWidget* video = player.videoWidget();
    QCOMPARE(video->parentWidget(), &window);
    QVERIFY(video->isHidden());

    player.setGeometry(QRect(160, 50, 480, 420));
    player.setVisible(true);
    QVERIFY(video->isHidden());  // nothing to show until the mode says so
    backdrop->raise();
    player.setMode(MediaPlayer::Mode::Picture);
    QVERIFY(video->isVisible());
    QCOMPARE(video->geometry(), QRect(160, 50, 480, 420));
    QCOMPARE(window.children().last(), video);  // in front of the backdrop raised before it

    player.setMode(MediaPlayer::Mode::Invisible);
    QVERIFY(video->isHidden());
    player.setMode(MediaPlayer::Mode::Picture);
    player.setVisible(false);
    QVERIFY(video->isHidden());
  }

  void playerOutlivesItsWindow() {
    auto* window = new QWidget;
    QtMediaPlayer player(window);
    delete window;
    player.setVisible(true);
    player.setMode(MediaPlayer::Mode::Picture);
    player.setGeometry(QRect(0, 0, 10, 10));
    QVERIFY(!player.isPlaying());
  }
};

QTEST_MAIN(TestQtMediaPlayer)
#include "test_qtmediaplayer.moc"
