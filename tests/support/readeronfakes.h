#pragma once
// The reader's main window on a platform of fakes, as the window tests start it: maximised on
// a 1280 x 1024 screen (class 4, letter d), its window settled, its start page asked for.
// A test class takes it as a base and reaches `fake` and `form`.
#include "support/fakeplatform.h"
#include "support/files.h"
#include "viewer/frmqx.h"

#include <QCoreApplication>
#include <QTest>

#include <functional>
#include <memory>

struct ReaderOnFakes {
  std::unique_ptr<FakePlatform> fake;
  std::unique_ptr<frmQX> form;

  // `appData` is the application-data folder; `prepare` sets the platform up before the
  // window is made (data files, environment).
  frmQX& startReader(const QString& appData, const std::function<void(FakePlatform&)>& prepare = {}) {
    fake = std::make_unique<FakePlatform>(appData);
    if (prepare) prepare(*fake);
    form = std::make_unique<frmQX>(fake->platform, courseSetup(*fake));
    form->setWindowState(Qt::WindowMaximized);
    form->Form_Load();
    // The window system tells the window its maximised size when it has come up; a page
    // that arrived before that would be loaded again for the size.
    (void)QTest::qWaitForWindowExposed(form.get());
    QCoreApplication::processEvents();
    fake->browser->calls.clear();
    return *form;
  }

  // Its first page arrives: `page` of the course with links Section, << and >> to "s", "p"
  // and "n" of the course.
  void firstPage(const QString& page) {
    fake->browser->arrive(kCourseBase + page, {kCourseBase + "s", kCourseBase + "p", kCourseBase + "n"});
    fake->browser->calls.clear();
  }

  // The data files of the search in `folder`, made the program's folder.
  static std::function<void(FakePlatform&)> dataFilesIn(const QString& folder, const QByteArray& files,
                                                        const QByteArray& words) {
    return [=](FakePlatform& fake) {
      QTest::qVerify(writeFile(folder + QStringLiteral("/files.qx"), files), "writeFile", "", __FILE__, __LINE__);
      QTest::qVerify(writeFile(folder + QStringLiteral("/words.qx"), words), "writeFile", "", __FILE__, __LINE__);
      fake.platform.programFolder = folder;
    };
  }

  // A reader whose program folder `folder` holds files.qx and words.qx of these bytes, its
  // application data in folder/appdata, on its first page `page`.
  frmQX& startOnData(const QString& folder, const QByteArray& files, const QByteArray& words, const QString& page) {
    startReader(folder + QStringLiteral("/appdata"), dataFilesIn(folder, files, words));
    firstPage(page);
    return *form;
  }

  void closeReader() {
    form.reset();
    fake.reset();
  }
};
