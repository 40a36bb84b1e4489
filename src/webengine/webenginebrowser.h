#pragma once
#include "platform/browser.h"

#include <QPointer>
#include <QStringList>
#include <QWebEngineView>

class QWebEngineProfile;

// Browser on Qt WebEngine. Reading the links of a page is asynchronous there, so the
// links are taken in one script call when a load finishes and documentComplete is sent
// afterwards: the arrival handling then runs in order, on a fixed picture of the page.
class WebEngineBrowser : public Browser {
  Q_OBJECT
 public:
  explicit WebEngineBrowser(QWidget* parent);
  ~WebEngineBrowser() override;

  QWidget* widget() override;
  QString locationUrl() const override { return location_; }
  std::optional<QString> linkHref(int i) const override;
  bool setLinkHref(int i, const QString& href) override;
  bool loadSucceeded() const override { return loadSucceeded_; }
  void navigate(const QString& url) override;
  bool canGoBack() const override;
  void goBack() override;
  PrintStatus printStatus() const override;
  std::optional<QString> print(QPrinter& printer) override;
  void setZoom(double factor) override;
  void find(const QString& text, bool backward) override;
  void markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) override;

  QWebEngineView* view() const { return view_; }

 private:
  void onLoadFinished(bool ok);

  QWebEngineProfile* profile_;
  QPointer<QWebEngineView> view_;  // owned by the window it sits in
  QString location_;
  QStringList links_;
  bool loadSucceeded_ = true;
};
