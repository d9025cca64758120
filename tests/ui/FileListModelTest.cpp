#include "ui/FileListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(FileListModel, CheckStateIsTheEntrysCheckedFlag) {
  Configuration config;
  FileListModel model(config);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(model.rowCount(), 0);

  {
    FileListModel::Reset reset(model);
    config.Files = {{"/site/index.htm", true}, {"/site/old.htm", false}};
  }
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.data(model.index(0)).toString(), QStringLiteral("/site/index.htm"));
  EXPECT_EQ(model.data(model.index(0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
  EXPECT_EQ(model.data(model.index(1), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
  EXPECT_TRUE(model.flags(model.index(1)) & Qt::ItemIsUserCheckable);

  // Checking by hand writes the entry itself and leaves the unsaved-changes flag alone.
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  EXPECT_TRUE(model.setData(model.index(1), Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(config.Files[1].Checked);
  EXPECT_FALSE(config.Changed);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_FALSE(config.Files[0].Checked);

  // Only the check box can be changed here; the path stays.
  EXPECT_FALSE(model.setData(model.index(0), QStringLiteral("/elsewhere"), Qt::EditRole));
  EXPECT_EQ(config.Files[0].Path, "/site/index.htm");

  // Checking every entry at once is announced for the whole list.
  for (FileEntry& e : config.Files) e.Checked = true;
  model.checksChanged();
  EXPECT_EQ(changed.count(), 3);
  EXPECT_EQ(model.data(model.index(0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
}

}  // namespace
}  // namespace tw
