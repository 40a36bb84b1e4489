#pragma once
// The embedded web browser as the viewer sees it. The real one is a Chromium page view;
// tests put a small fake in its place.
#include "platform/result.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;
class QWidget;

class Browser : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~Browser() override = default;

  virtual QWidget* widget() = 0;

  // Top-level location of the document that completed last ("" before the first).
  virtual QString locationUrl() const = 0;
  // Resolved href of link i of that document, in document order; nothing when the
  // document has fewer links.
  virtual std::optional<QString> linkHref(int i) const = 0;
  // Changes the target of link i in the live document; false when there is no link i.
  virtual bool setLinkHref(int i, const QString& href) = 0;

  // False when that document is the browser's own error page for a load that failed (the
  // location is then the address that failed).
  virtual bool loadSucceeded() const = 0;
  // That document's own title, and its height when it completed, in the page's own pixels
  // (those its scripts count in, the same at every zoom).
  virtual QString title() const = 0;
  virtual int pageHeight() const = 0;
  // Scrolls the document on show so that `y` (in its own pixels) is at the top of the view.
  virtual void scrollTo(int y) = 0;

  virtual void navigate(const QString& url) = 0;
  virtual bool canGoBack() const = 0;
  virtual void goBack() = 0;

  // The print command: what it can do now (kPrintSupported, kPrintEnabled), or the reason it
  // cannot tell.
  static constexpr int kPrintSupported = 1;
  static constexpr int kPrintEnabled = 2;
  virtual Result<int> printStatus() const = 0;
  // Prints the document on show to `printer` and waits, handling events, until that has
  // finished.
  virtual Done print(QPrinter& printer) = 0;

  // ---- Reading aids: zoom, finding text, marking words ----
  // Draws the pages `factor` times their own size, this one and those that follow.
  virtual void setZoom(double factor) = 0;
  // Selects the next match of `text` in the document on show, or the one before when
  // `backward`, highlighting all of them, and then sends found(). An empty text takes
  // the highlights away.
  virtual void find(const QString& text, bool backward) = 0;
  // Marks every word of the document on show (a run of letters and digits) that is one of
  // `words` once each of its characters found in `foldFrom` is replaced by the character
  // at the same place in `foldTo`, and brings the first marked word into view.
  virtual void markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) = 0;

 signals:
  // One per document that completed loading in the main frame, after its links can be read.
  void documentComplete();
  // What find() came to: the selected match counted from 1 (0 when there is none) and
  // how many matches the document holds.
  void found(int activeMatch, int matches);
  // The document on show was scrolled: how far down its top is, and how high it is, in its own
  // pixels. Sent a moment after the scrolling, not at every step of it.
  void scrolled(int y, int pageHeight);
};
