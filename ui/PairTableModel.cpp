#include "ui/PairTableModel.h"
#include "ui/QtText.h"

namespace tw {

namespace {

// A text of the list as the grid shows it: its line breaks as the view's own.
QString shown(const std::string& text) {
  QString s = fromStd(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

}  // namespace

int PairTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_config.Pairs().size());
}

int PairTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant PairTableModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const StringPair& pair = m_config.Pairs()[size_t(index.row())];
  return shown(index.column() == 0 ? pair.Find : pair.Replace);
}

QVariant PairTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (section == 0 || section == 1) return m_headers[section];
    return {};
  }
  return section + 1;
}

bool PairTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
  if (orientation != Qt::Horizontal || (section != 0 && section != 1) ||
      (role != Qt::EditRole && role != Qt::DisplayRole))
    return false;
  m_headers[section] = value.toString();
  emit headerDataChanged(orientation, section, section);
  return true;
}

Qt::ItemFlags PairTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace tw
