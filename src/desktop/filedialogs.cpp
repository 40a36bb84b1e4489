#include "desktop/filedialogs.h"

#include <QFileDialog>

QString askForFile(const Platform::FileQuestion& question) {
  if (question.saving)
    return QFileDialog::getSaveFileName(question.owner, question.title, question.suggested, question.filter);
  return QFileDialog::getOpenFileName(question.owner, question.title, question.suggested, question.filter);
}
