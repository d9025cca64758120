#include "ui/PairTableModel.h"

#include <QAbstractItemModelTester>

#include "ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(PairTableModel, ShowsTheLivePairListWithoutACopy) {
  Configuration config;
  PairTableModel model(config);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  // The empty list is one blank row.
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Find"));
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Replace with"));

  {
    PairTableModel::Reset reset(model);
    config.setPairs(
        {{"colour", "color"}, {"Old line one\r\nOld line two", ""}, {"\xc3\xa4", "ae"}});
  }
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("colour"));
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("color"));
  // Line breaks show as the view's own; the list keeps CR LF.
  EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("Old line one\nOld line two"));
  EXPECT_EQ(config.Pairs()[1].Find, "Old line one\r\nOld line two");
  EXPECT_EQ(model.data(model.index(2, 0)).toString(), QString::fromUtf8("\xc3\xa4"));

  // A change of the list itself shows at once: the model reads it, it does not keep it.
  config.setPairs(
      {{"colour", "colours"}, {"Old line one\r\nOld line two", ""}, {"\xc3\xa4", "ae"}});
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("colours"));

  // The grid is read-only: pairs change through the pair commands only.
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.setData(model.index(0, 0), QStringLiteral("x")));
  EXPECT_EQ(config.Pairs()[0].Find, "colour");
}

}  // namespace
}  // namespace tw
