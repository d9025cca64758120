#pragma once
// AboutDialog: the product name, version and date, and the maker's web address as a link that
// opens in the default browser. OK (the default button) or Enter closes it.

#include <QDialog>

class QLabel;

namespace tw {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // The line that names the version.
  QLabel* versionLabel() const { return m_versionLabel; }

 private:
  void onHomePageLink();

  QLabel* m_versionLabel = nullptr;
};

}  // namespace tw
