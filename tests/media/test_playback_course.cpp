// The real player on Qt Multimedia with the sample course's media, served on the loopback:
// narration plays to its end, a missing medium never counts as playing, and a video plays
// in the middle of the window over the backdrop until the watch takes it away.
#include "e2e/harness.h"
#include "media/mediaplayback.h"
#include "qtmedia/qtmediaplayer.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

class TestPlaybackCourse : public QObject {
  Q_OBJECT

  std::unique_ptr<e2e::CourseServer> server_;

 private slots:
  void initTestCase() {
    server_ = std::make_unique<e2e::CourseServer>();
    QVERIFY2(!server_->base().isEmpty(), "the course server did not start");
  }
  void cleanupTestCase() { server_.reset(); }

  void narrationPlaysToItsEnd() {
    QWidget window;
    QtMediaPlayer player(&window);
    qint64 furthest = 0;
    connect(&player.player(), &QMediaPlayer::positionChanged, this,
            [&](qint64 position) { furthest = qMax(furthest, position); });
    player.setMode(MediaPlayer::Mode::Invisible);
    player.setAddress(server_->base() + "c01/v0101.wav");
    player.play();
    QTRY_VERIFY_WITH_TIMEOUT(player.isPlaying(), 15000);
    QVERIFY(player.videoWidget()->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 20000);
    // The sample narration lasts about 2.4 seconds; all of it was played (the backend may
    // report the end as the end of the medium, or as a medium loaded and stopped).
    QVERIFY2(furthest >= 2000, qPrintable(QString::number(furthest)));
  }

  void missingMediumIsNeverPlaying() {
    QWidget window;
    QtMediaPlayer player(&window);
    player.setAddress(server_->base() + "c24/v2499.wav");
    player.play();
    QTRY_COMPARE_WITH_TIMEOUT(player.player().mediaStatus(), QMediaPlayer::InvalidMedia, 15000);
    QVERIFY(!player.isPlaying());
  }

  void videoPlaysOverTheBackdropUntilTheWatchEndsIt() {
    QWidget window;
    window.resize(1024, 768);
    auto* picAVI = new QLabel(&window);
    picAVI->setStyleSheet(QStringLiteral("background: black"));
    picAVI->hide();
    QtMediaPlayer player(&window);
    window.show();
    qint64 furthest = 0;
    connect(&player.player(), &QMediaPlayer::positionChanged, this,
            [&](qint64 position) { furthest = qMax(furthest, position); });
    int frames = 0;
    connect(player.videoWidget()->videoSink(), &QVideoSink::videoFrameChanged, this, [&](const QVideoFrame& frame) {
      if (frame.isValid()) ++frames;
    });
    MediaPlayback playback(player, picAVI, {[] { return QSize(1024, 768); }, [] { QTest::qWait(1000); }});

    playback.PlayVideo(server_->base() + "/qx/title.avi");
    QVERIFY(picAVI->isVisible());
    QVERIFY(player.videoWidget()->isVisible());
    QCOMPARE(player.videoWidget()->geometry(), MediaPlayback::videoRect({1024, 768}));
    QCOMPARE(playback.watch(), MediaPlayback::Watch::Grace);
    QTRY_VERIFY_WITH_TIMEOUT(frames > 0, 10000);
    QVERIFY(player.isPlaying());
    // The title video lasts three seconds; the first watch after the grace period finds
    // it ended and takes it away.
    QTRY_VERIFY_WITH_TIMEOUT(picAVI->isHidden(), 20000);
    QVERIFY2(furthest >= 2500, qPrintable(QString::number(furthest)));
    QVERIFY(player.videoWidget()->isHidden());
    QCOMPARE(playback.watch(), MediaPlayback::Watch::None);
    QVERIFY(frames >= 8);  // eight frames a second
  }
};

QTEST_MAIN(TestPlaybackCourse)
#include "test_playback_course.moc"
