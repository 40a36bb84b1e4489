#include "layout/rowsmodel.h"

#include <QListView>

QListView* makeResultList(QWidget* parent, const QRect& geometry) {
  auto* list = new QListView(parent);
  list->setObjectName(QStringLiteral("lbResults"));
  list->setGeometry(geometry);
  list->setUniformItemSizes(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}
