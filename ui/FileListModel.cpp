#include "ui/FileListModel.h"
#include "ui/QtText.h"

namespace tw {

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_config.Files.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  const FileEntry& entry = m_config.Files[size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return fromStd(entry.Path);
    case Qt::CheckStateRole:
      return entry.Checked ? Qt::Checked : Qt::Unchecked;
    default:
      return {};
  }
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole ||
      !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return false;
  const bool checked = value.value<Qt::CheckState>() != Qt::Unchecked;
  if (m_config.Files[size_t(index.row())].Checked != checked) {
    m_config.setChecked(size_t(index.row()), checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
  }
  return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
         Qt::ItemNeverHasChildren;
}

void FileListModel::checksChanged() {
  if (m_config.Files.empty()) return;
  emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
}

}  // namespace tw
