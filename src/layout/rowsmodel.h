#pragma once
// A list model over rows that live elsewhere: a row becomes text only when the view shows
// it, so a list of thousands of rows is filled at once. The owner of the rows calls
// replace() around every change of them.
#include <QAbstractListModel>

#include <functional>
#include <utility>

class RowsModel : public QAbstractListModel {
 public:
  RowsModel(std::function<int()> count, std::function<QString(int row)> text, QObject* parent)
      : QAbstractListModel(parent), count_(std::move(count)), text_(std::move(text)) {}

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count_(); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count_()) return {};
    return text_(index.row());
  }

  template <typename Change>
  void replace(Change change) {
    beginResetModel();
    change();
    endResetModel();
  }

 private:
  std::function<int()> count_;
  std::function<QString(int)> text_;
};

class QLabel;
class QListView;
class QRect;
class QWidget;
// A result list of the side windows, named `name` for screen readers: single selection, not
// editable, rows of one height (so that thousands of them are laid out without measuring each).
QListView* makeResultList(QWidget* parent, const QRect& geometry, const QString& name);

// Enter in a result list that has the keyboard opens a row even where none is picked yet:
// selects the current row, or else the first. False when the list is empty.
bool selectRowForEnter(QListView& list);

// Shows what a search or a filter found in the count line `found`, and tells it a screen
// reader too, as the description of `controls`: a screen reader reads out a change of the
// description of the control that has the keyboard, and not a change of a label beside it.
void showFound(QLabel& found, const QString& text, std::initializer_list<QWidget*> controls);
