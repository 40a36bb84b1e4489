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
  if (pages.size() > size_t(kCapacity))
    return Result<Output>::failed(QStringLiteral("%1 holds %2 pages to list, but files.qx holds at most %3")
                                      .arg(folder)
                                      .arg(pages.size())
                                      .arg(kCapacity));
  Builder builder;
  const int total = int(pages.size());
  for (int i = 0; i < total; ++i) {
    const CataloguedPage& page = pages[size_t(i)];
    QFile file(dir.filePath(page.name));
    if (!file.open(QIODevice::ReadOnly))
      return Result<Output>::failed(QStringLiteral("%1: cannot read it: %2").arg(page.name, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
      return Result<Output>::failed(QStringLiteral("%1: cannot read it: %2").arg(page.name, file.errorString()));
    if (auto refusal = builder.addPage(page.name, QStringView(decodePage(bytes)), page.indexed))
      return Result<Output>::failed(*refusal);
    if (progress) progress(i + 1, total);
  }
  return builder.finish();
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
