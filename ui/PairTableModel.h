#pragma once
// The pair grid's view of the live pair list: one row per entry of Configuration::Pairs() (the
// blank row of an empty list included), find text in column 0, replace text in column 1.
// It keeps no copy; whoever changes the list wraps the change in a Reset.

#include "config/Configuration.h"

#include <QAbstractTableModel>

namespace tw {

class PairTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit PairTableModel(Configuration& config, QObject* parent = nullptr)
      : QAbstractTableModel(parent), m_config(config) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  // The two column headers take the texts of the language in use.
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Brackets a change of the pair list: begins a model reset now, ends it when destroyed.
  class Reset {
   public:
    explicit Reset(PairTableModel& model) : m_model(model) { m_model.beginResetModel(); }
    ~Reset() { m_model.endResetModel(); }
    Reset(const Reset&) = delete;
    Reset& operator=(const Reset&) = delete;

   private:
    PairTableModel& m_model;
  };

 private:
  Configuration& m_config;
  QString m_headers[2] = {QStringLiteral("Find"), QStringLiteral("Replace with")};
};

}  // namespace tw
