#pragma once
// A stand-in for the browser: it records what it is asked to do, and a test makes pages
// arrive in it. Qt Core only, so that logic without windows can be tested with it.
#include "platform/browser.h"

#include <QStringList>

#include <optional>

class QWidget;

class FakeBrowser : public Browser {
  Q_OBJECT
 public:
  explicit FakeBrowser(QObject* parent = nullptr) : Browser(parent) {}

  QWidget* widget() override { return view; }
  QString locationUrl() const override { return location; }
  std::optional<QString> linkHref(int i) const override {
    if (i < 0 || i >= links.size()) return std::nullopt;
    return links[i];
  }
  bool setLinkHref(int i, const QString& href) override {
    if (i < 0 || i >= links.size()) return false;
    links[i] = href;
    return true;
  }
  bool loadSucceeded() const override { return succeeded; }
  QString title() const override { return pageTitle; }
  int pageHeight() const override { return height; }
  void scrollTo(int y) override { calls << QStringLiteral("scroll %1").arg(y); }
  void navigate(const QString& url) override { calls << QStringLiteral("navigate ") + url; }
  bool canGoBack() const override { return backwards; }
  void goBack() override { calls << QStringLiteral("back"); }
  Result<int> printStatus() const override { return kPrintSupported | kPrintEnabled; }
  Done print(QPrinter&) override {
    calls << QStringLiteral("print");
    return {};
  }
  void setZoom(double factor) override { zoom = factor; }
  void find(const QString& text, bool backward) override {
    calls << QStringLiteral("find ") + text + (backward ? QStringLiteral(" backward") : QString());
  }
  void markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) override {
    calls << QStringLiteral("mark ") + words.join(u' ');
    fold = {foldFrom, foldTo};
  }

  // A document completes: `url` is the top-level location, `pageLinks` its link hrefs.
  void arrive(const QString& url, const QStringList& pageLinks = {}) {
    location = url;
    links = pageLinks;
    succeeded = true;
    emit documentComplete();
  }
  // The load of `url` fails: the browser's error page, with links of its own, is on show.
  void fail(const QString& url) {
    location = url;
    links = {QStringLiteral("chrome-error://chromewebdata/")};
    succeeded = false;
    emit documentComplete();
  }

  QWidget* view = nullptr;  // what stands for the page view, where there are windows
  QString location;
  QStringList links;
  bool succeeded = true;
  QString pageTitle;  // of the page that arrives next, too
  int height = 0;
  bool backwards = true;  // there is a page to go back to
  double zoom = 1.0;
  QStringList fold;   // the last marks' foldFrom and foldTo
  QStringList calls;  // "navigate <url>", "back", "find <text>[ backward]", "mark <words>", in order
};
