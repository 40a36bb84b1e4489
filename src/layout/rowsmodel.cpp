#include "layout/rowsmodel.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>

QListView* makeResultList(QWidget* parent, const QRect& geometry, const QString& name) {
  auto* list = new QListView(parent);
  list->setObjectName(QStringLiteral("lbResults"));
  list->setAccessibleName(name);
  list->setGeometry(geometry);
  list->setUniformItemSizes(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

bool selectRowForEnter(QListView& list) {
  if (!list.model() || list.model()->rowCount() == 0) return false;
  if (list.selectionModel()->hasSelection()) return true;
  list.setCurrentIndex(list.currentIndex().isValid() ? list.currentIndex() : list.model()->index(0, 0));
  list.selectionModel()->select(list.currentIndex(), QItemSelectionModel::ClearAndSelect);
  return true;
}

void showFound(QLabel& found, const QString& text, std::initializer_list<QWidget*> controls) {
  found.setText(text);
  for (QWidget* control : controls) {
    control->setAccessibleDescription(text);
    // Qt tells no one of a new description by itself; and the same count again is news too.
    QAccessibleEvent told(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&told);
  }
}
