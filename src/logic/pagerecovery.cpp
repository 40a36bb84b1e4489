#include "logic/pagerecovery.h"

#include <QUrl>

namespace pagerecovery {

bool CrashWindow::restoreAfterCrash(std::chrono::milliseconds now) {
  while (!crashes_.empty() && now - crashes_.front() >= kSpan) crashes_.pop_front();
  crashes_.push_back(now);
  return crashes_.size() < static_cast<size_t>(kLimit);
}

bool onCourse(const QUrl& page, const QUrl& courseBase) {
  // QUrl keeps a web address's host in lower case; the port counts as the scheme's own when
  // not given.
  const int port = courseBase.port(courseBase.scheme() == u"https" ? 443 : 80);
  return page.isValid() && !courseBase.host().isEmpty() && page.scheme() == courseBase.scheme() &&
         page.host() == courseBase.host() && page.port(page.scheme() == u"https" ? 443 : 80) == port;
}

DialogGate::Answer DialogGate::ask(std::chrono::milliseconds now) {
  if (heldBack_) return ++*heldBack_ >= kAskedWhileHeld ? Answer::StopPage : Answer::HoldBack;
  repeats_ = lastClosed_ && now - *lastClosed_ < kQuick ? repeats_ + 1 : 0;
  if (repeats_ < kRepeats) return Answer::Show;
  heldBack_ = 1;
  return Answer::HoldBack;
}

bool askedForAgain(Trouble trouble) {
  return trouble == Trouble::NoAnswer || trouble == Trouble::TimedOut || trouble == Trouble::Unfinished;
}

namespace {

QString seconds(std::chrono::milliseconds span) {
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(span).count();
  return whole == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(whole);
}

// The address as a link, when it is one a page may lead to; else as plain text.
QString link(const QString& address, const QString& text) {
  const QString scheme = QUrl(address).scheme();
  if (scheme != u"http" && scheme != u"https") return text.toHtmlEscaped();
  return QStringLiteral("<a id=\"again\" href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), text.toHtmlEscaped());
}

}  // namespace

QString standInPage(Trouble trouble, const QString& address, const QString& reason, std::chrono::milliseconds limit) {
  const QString shown = QStringLiteral("<p class=\"address\">%1</p>").arg(address.toHtmlEscaped());
  const QString why =
      reason.isEmpty() ? QString() : QStringLiteral("<p class=\"reason\">(%1)</p>").arg(reason.toHtmlEscaped());
  const QString byItself = QStringLiteral(
                               "<p>Tavrin asks for it again every %1; the page appears by itself as soon as the "
                               "server answers.</p>")
                               .arg(seconds(kRetryInterval));
  QString heading, body;
  switch (trouble) {
    case Trouble::NoAnswer:
      heading = QStringLiteral("The course server does not answer");
      body = QStringLiteral("<p>This page could not be loaded:</p>") + shown + why + byItself +
             QStringLiteral("<p>%1 now</p>").arg(link(address, QStringLiteral("Retry")));
      break;
    case Trouble::TimedOut:
      heading = QStringLiteral("The course server does not send the page");
      body = QStringLiteral("<p>The server took the request for this page but sent nothing within %1:</p>")
                 .arg(seconds(limit)) +
             shown + byItself + QStringLiteral("<p>%1 now</p>").arg(link(address, QStringLiteral("Retry")));
      break;
    case Trouble::Unfinished:
      heading = QStringLiteral("The course server does not send the page");
      body = QStringLiteral("<p>The server began to send this page but did not finish it within %1:</p>")
                 .arg(seconds(limit)) +
             shown + byItself + QStringLiteral("<p>%1 now</p>").arg(link(address, QStringLiteral("Retry")));
      break;
    case Trouble::TooLarge:
      heading = QStringLiteral("The page is too large");
      body = QStringLiteral(
                 "<p>This page grew past %1 MB as it loaded, which no page of the course comes near, so Tavrin "
                 "stopped it and does not ask for it again:</p>")
                 .arg(kPageMemoryLimit / (1024 * 1024)) +
             shown + QStringLiteral("<p>%1</p>").arg(link(address, QStringLiteral("Retry")));
      break;
    case Trouble::Refused:
      heading = QStringLiteral("The page could not be loaded");
      body = QStringLiteral("<p>This page could not be loaded:</p>") + shown + why +
             QStringLiteral("<p>%1</p>").arg(link(address, QStringLiteral("Retry")));
      break;
    case Trouble::Stopped:
      heading = QStringLiteral("The page was stopped");
      body = QStringLiteral("<p>This page kept asking to show messages, one after another, so Tavrin stopped it:</p>") +
             shown + QStringLiteral("<p>%1 the page</p>").arg(link(address, QStringLiteral("Reload")));
      break;
    case Trouble::Crashed:
      heading = QStringLiteral("The page display stopped working");
      body = QStringLiteral(
                 "<p>The part of Tavrin that draws the pages stopped %1 times within a minute while it showed this "
                 "page, so it is not started again by itself:</p>")
                 .arg(CrashWindow::kLimit) +
             shown + QStringLiteral("<p>%1 the page</p>").arg(link(address, QStringLiteral("Reload")));
      break;
  }
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Tavrin</title><style>"
             "body{font-family:\"Liberation Sans\",Arial,\"DejaVu Sans\",sans-serif;font-size:16px;color:#222;"
             "background:#fff;margin:48px;max-width:44em;line-height:1.4}"
             "h1{font-size:24px;font-weight:bold;margin:0 0 24px}"
             ".address{font-family:\"Liberation Mono\",\"DejaVu Sans Mono\",monospace;word-break:break-all;"
             "margin-left:24px}.reason{color:#666}a{font-weight:bold}"
             "</style></head><body><h1>%1</h1>%2</body></html>")
      .arg(heading, body);
}

}  // namespace pagerecovery
