// Videos and narration in the main window, with a stand-in player: the backdrop and the
// picture, the grace period and the watch, narration over a video, and every way to stop.
#include "media/mediaplayback.h"
#include "support/fakemedia.h"

#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace {

enum class Phase { Grace, Watching };

}  // namespace

class TestMediaPlayback : public QObject {
  Q_OBJECT

  QWidget window_;
  QLabel* picAVI_ = nullptr;
  QWidget* page_ = nullptr;
  FakeMediaPlayer player_;
  std::unique_ptr<MediaPlayback> playback_;
  std::function<void()> duringWait_;  // what happens inside the tick wait of PlayVideo
  QSize screen_{1280, 1024};

  QString video() const { return QStringLiteral("http://127.0.0.1/qx_cbt/qx2/c03/fig0312.avi"); }
  QString narration() const { return QStringLiteral("http://127.0.0.1/qx_cbt/qx2/c03/v0312.wav"); }

  // The watch's timers, by name, where a test sets their pace.
  QTimer* timer(const char* name) const { return playback_->findChild<QTimer*>(name); }
  void startVideo() { playback_->PlayVideo(video()); }
  // Brings a video to a phase as the timers would.
  void videoIn(Phase phase) {
    startVideo();
    if (phase == Phase::Watching) playback_->TimerPREavi_Timer();
  }
  void verifyIdle() {
    QVERIFY(picAVI_->isHidden());
    QVERIFY(!player_.pictureShown());
    QVERIFY(!player_.playing);
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::None);
  }

 private slots:
  void init() {
    window_.resize(screen_);
    page_ = new QWidget(&window_);
    picAVI_ = new QLabel(&window_);
    picAVI_->setGeometry(0, 0, 81, 33);
    picAVI_->hide();
    page_->raise();
    window_.show();
    player_ = FakeMediaPlayer();
    duringWait_ = nullptr;
    // The tick wait is noted among the player's calls, to show the order of the two.
    playback_ = std::make_unique<MediaPlayback>(player_, picAVI_,
                                                MediaPlayback::Host{[this] { return screen_; },
                                                                    [this] {
                                                                      player_.calls << QStringLiteral("wait");
                                                                      if (duringWait_) duringWait_();
                                                                    }});
  }
  void cleanup() {
    playback_.reset();
    delete picAVI_;
    delete page_;
  }

  void playerStartsHiddenWithNothingToShow() {
    QVERIFY(!player_.visible);
    QCOMPARE(player_.mode, MediaPlayer::Mode::Invisible);
    QCOMPARE(timer("TimerPREavi")->interval(), 5000);
    QCOMPARE(timer("TimerAVI")->interval(), 500);
    verifyIdle();
  }

  void videoRect_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("1024 x 768") << QSize(1024, 768) << QRect(205, 50, 614, 538);
    QTest::newRow("1280 x 1024") << QSize(1280, 1024) << QRect(256, 50, 768, 717);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << QRect(384, 50, 1152, 756);
    QTest::newRow("800 x 600") << QSize(800, 600) << QRect(160, 50, 480, 420);
  }
  void videoRect() {
    QFETCH(QSize, screen);
    QFETCH(QRect, expected);
    QCOMPARE(MediaPlayback::videoRect(screen), expected);
  }

  void videoCoversThePageAndShowsThePictureInFront() {
    bool graceDuringTheWait = true;
    duringWait_ = [&] { graceDuringTheWait = playback_->watch() == MediaPlayback::Watch::Grace; };
    startVideo();
    QVERIFY(!graceDuringTheWait);
    QCOMPARE(picAVI_->geometry(), QRect(QPoint(0, 0), screen_));
    QVERIFY(picAVI_->isVisible());
    QCOMPARE(window_.children().last(), picAVI_);  // in front of the page
    QCOMPARE(player_.geometry, MediaPlayback::videoRect(screen_));
    QVERIFY(player_.pictureShown());
    QCOMPARE(player_.address, video());
    // Started before the tick wait; the grace period begins after it.
    QCOMPARE(player_.calls, (QStringList{"address " + video(), "play", "wait"}));
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::Grace);
  }

  void videoWithoutAddressPlaysTheOneBefore() {
    player_.address = narration();
    playback_->PlayVideo(std::nullopt);
    QCOMPARE(player_.address, narration());
    QCOMPARE(player_.calls, (QStringList{"play", "wait"}));
  }

  void graceThenWatch() {
    startVideo();
    playback_->TimerPREavi_Timer();
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::Watching);
    for (int tick = 0; tick < 3; ++tick) playback_->TimerAVI_Timer();  // while it plays, nothing
    QVERIFY(picAVI_->isVisible());
    QVERIFY(player_.pictureShown());
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::Watching);
    QVERIFY(!player_.calls.contains("stop"));
  }

  // Ended, paused, still buffering or an address that does not exist: the player is not
  // playing at a watch, and the video goes away.
  void watchEndsAVideoThatIsNotPlaying() {
    startVideo();
    playback_->TimerPREavi_Timer();
    playback_->TimerAVI_Timer();
    player_.playing = false;
    player_.calls.clear();
    playback_->TimerAVI_Timer();
    verifyIdle();
    QCOMPARE(player_.calls, QStringList{"stop"});
    QVERIFY(player_.visible);  // still there, with nothing to show
  }

  void videoNotYetPlayingAtTheFirstWatchIsStopped() {
    startVideo();
    player_.playing = false;  // still loading, six seconds on
    playback_->TimerPREavi_Timer();
    playback_->TimerAVI_Timer();
    verifyIdle();
  }

  void theTimersRunTheWatchOnTheirOwn() {
    timer("TimerPREavi")->setInterval(40);
    timer("TimerAVI")->setInterval(20);
    startVideo();
    QTRY_COMPARE(playback_->watch(), MediaPlayback::Watch::Watching);
    QTest::qWait(100);
    QVERIFY(picAVI_->isVisible());
    player_.playing = false;
    QTRY_VERIFY(picAVI_->isHidden());
    verifyIdle();
  }

  void secondVideoInTheGracePeriodKeepsItsCount() {
    timer("TimerPREavi")->setTimerType(Qt::PreciseTimer);  // a coarse one may be late by 5 %
    startVideo();
    QTest::qWait(200);
    playback_->PlayVideo(video());
    const int remaining = timer("TimerPREavi")->remainingTime();
    QVERIFY2(remaining >= 0 && remaining <= 4900, qPrintable(QString::number(remaining)));
  }

  void narrationShowsNothing() {
    playback_->PlayNarration(narration());
    QCOMPARE(player_.address, narration());
    QVERIFY(player_.playing);
    QVERIFY(!player_.pictureShown());
    QVERIFY(picAVI_->isHidden());
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::None);
  }

  void narrationReplacesAWatchedVideo() {
    videoIn(Phase::Watching);
    playback_->PlayNarration(narration());
    QCOMPARE(player_.address, narration());
    QVERIFY(!player_.pictureShown());
    QVERIFY(picAVI_->isVisible());  // the backdrop stays
    playback_->TimerAVI_Timer();
    QVERIFY(picAVI_->isVisible());
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::Watching);
    player_.playing = false;  // the narration has ended
    playback_->TimerAVI_Timer();
    verifyIdle();
  }

  void stopMedia_data() {
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<int>("way");  // 0 StopMedia (Esc), 1.. a mouse button on the backdrop
    const std::pair<const char*, Phase> phases[] = {{"grace", Phase::Grace}, {"watching", Phase::Watching}};
    const std::pair<const char*, int> ways[] = {{"Esc", 0},
                                                {"left click", int(Qt::LeftButton)},
                                                {"right click", int(Qt::RightButton)},
                                                {"middle click", int(Qt::MiddleButton)}};
    for (const auto& [phaseName, phase] : phases)
      for (const auto& [wayName, way] : ways) QTest::addRow("%s, %s", wayName, phaseName) << phase << way;
  }
  void stopMedia() {
    QFETCH(Phase, phase);
    QFETCH(int, way);
    videoIn(phase);
    if (way == 0)
      playback_->StopMedia();
    else
      QTest::mousePress(picAVI_, Qt::MouseButton(way), {}, QPoint(400, 600));
    verifyIdle();
    QVERIFY(player_.calls.endsWith("stop"));
  }

  void stopMediaStopsNarration() {
    playback_->PlayNarration(narration());
    playback_->StopMedia();
    verifyIdle();
  }

  void escapeDuringTheWaitStillLeavesTheGraceToRun() {
    duringWait_ = [this] { playback_->StopMedia(); };
    startVideo();
    QVERIFY(picAVI_->isHidden());
    QCOMPARE(playback_->watch(), MediaPlayback::Watch::Grace);
    playback_->TimerPREavi_Timer();
    playback_->TimerAVI_Timer();  // nothing plays: the watch ends at once
    verifyIdle();
  }
};

QTEST_MAIN(TestMediaPlayback)
#include "test_mediaplayback.moc"
