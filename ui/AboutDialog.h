#pragma once
// AboutDialog: the product name, version and date, and the maker's web address as a link that
// opens in the default browser. OK (the default button) or Enter closes it.

#include <QDialog>

namespace tw {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

 private:
  void Label2Click();
};

}  // namespace tw
