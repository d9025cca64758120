#pragma once
// The file list's view of the live Configuration::Files: one row per entry showing its full
// path, with Qt::CheckStateRole reading and writing FileEntry::Checked. It keeps no copy;
// whoever changes the list wraps the change in a Reset. Checking an entry by hand leaves the
// unsaved-changes flag alone.

#include "config/Configuration.h"

#include <QAbstractListModel>

namespace tw {

class FileListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit FileListModel(Configuration& config, QObject* parent = nullptr)
      : QAbstractListModel(parent), m_config(config) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Every row's check box changed at once (after checking or unchecking them all).
  void checksChanged();

  // Brackets a change of the file list: begins a model reset now, ends it when destroyed.
  class Reset {
   public:
    explicit Reset(FileListModel& model) : m_model(model) { m_model.beginResetModel(); }
    ~Reset() { m_model.endResetModel(); }
    Reset(const Reset&) = delete;
    Reset& operator=(const Reset&) = delete;

   private:
    FileListModel& m_model;
  };

 private:
  Configuration& m_config;
};

}  // namespace tw
