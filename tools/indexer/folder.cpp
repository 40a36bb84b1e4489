#include "folder.h"

#include "html.h"
#include "logic/datafiles.h"
#include "pages.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace indexer {

using search::kCapacity;

Result<Output> indexFolder(const QString& folder, const Progress& progress) {
  const QDir dir(folder);
  if (!dir.exists()) return Result<Output>::failed(QStringLiteral("%1: no such folder").arg(folder));
  const std::vector<CataloguedPage> pages = catalogue(dir.entryList(QDir::Files, QDir::NoSort));
  if (pages.empty())
    return Result<Output>::failed(QStringLiteral("%1 holds no course pages (files named *.qx)").arg(folder));
  // Every page is read whatever was refused before it: one run names every problem.
  Builder builder;
  QStringList refused;
  const int total = int(pages.size());
  for (int i = 0; i < total; ++i) {
    const CataloguedPage& page = pages[size_t(i)];
    QFile file(dir.filePath(page.name));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
      refused << QStringLiteral("%1: cannot read it: %2").arg(page.name, file.errorString());
    else if (auto refusal = builder.addPage(page.name, QStringView(decodePage(bytes)), page.indexed))
      refused << *refusal;
    if (progress) progress(i + 1, total);
  }
  const QStringList overflows = builder.overflows();
  if (refused.isEmpty() && overflows.isEmpty()) return builder.finish();

  QStringList summary;
  if (!refused.isEmpty())
    summary << QStringLiteral("%1 of %2 %3 refused").arg(refused.size()).arg(total).arg(total == 1 ? "page" : "pages");
  if (builder.tooManyPages()) summary << QStringLiteral("too many pages for files.qx");
  if (builder.tooManyWords()) summary << QStringLiteral("too many words for words.qx");
  return Result<Output>::failed(
      (refused + overflows + QStringList{QStringLiteral("nothing written: ") + summary.join(QStringLiteral("; "))})
          .join(u'\n'));
}

std::optional<QString> writeOutput(const Output& output, const QString& folder) {
  if (!QDir().mkpath(folder)) return QStringLiteral("%1: cannot make the folder").arg(folder);
  const QDir dir(folder);
  QSaveFile files(dir.filePath(search::kPagesFile));
  QSaveFile words(dir.filePath(search::kWordsFile));
  for (auto [file, bytes] : {std::pair{&files, &output.filesQx}, std::pair{&words, &output.wordsQx}}) {
    if (!file->open(QIODevice::WriteOnly) || file->write(*bytes) != bytes->size())
      return QStringLiteral("%1: cannot write it: %2").arg(file->fileName(), file->errorString());
  }
  for (QSaveFile* file : {&files, &words}) {
    if (!file->commit()) return QStringLiteral("%1: cannot write it: %2").arg(file->fileName(), file->errorString());
  }
  return std::nullopt;
}

}  // namespace indexer
