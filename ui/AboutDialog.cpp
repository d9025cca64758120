#include "ui/AboutDialog.h"

#include "ui/TipsDialog.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace tw {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  setModal(true);

  auto* Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  auto* Image1 = new QLabel(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  const QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find-replace"),
                                      style()->standardIcon(QStyle::SP_FileDialogContentsView));
  Image1->setPixmap(icon.pixmap(48, 48));
  Image1->setAccessibleName(QStringLiteral("Textwright"));
  auto* ProductName = new QLabel(QStringLiteral("Textwright by Brindlecove"), Panel1);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  QFont bold = ProductName->font();
  bold.setBold(true);
  ProductName->setFont(bold);
  auto* Version = new QLabel(QStringLiteral("Version 2.5"), Panel1);
  Version->setObjectName(QStringLiteral("Version"));
  auto* Label1 = new QLabel(QStringLiteral("08 July 2002"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  const QString home = QString::fromLatin1(kHomePageAddress);
  auto* Label2 = new QLabel(Panel1);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(home));
  Label2->setTextFormat(Qt::RichText);
  Label2->setCursor(Qt::PointingHandCursor);
  Label2->setAccessibleName(home);
  Label2->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(Label2, &QLabel::linkActivated, this, &AboutDialog::Label2Click);

  auto* grid = new QGridLayout(Panel1);
  grid->addWidget(Image1, 0, 0, 4, 1, Qt::AlignTop);
  grid->addWidget(ProductName, 0, 1);
  grid->addWidget(Version, 1, 1);
  grid->addWidget(Label1, 2, 1);
  grid->addWidget(Label2, 3, 1);
  grid->setColumnStretch(1, 1);
  grid->setHorizontalSpacing(16);

  auto* OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  // Enter closes the box: the button has the focus first, before the link.
  setTabOrder(OKButton, Label2);
  OKButton->setFocus();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1, 1);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);

  setMinimumSize(317, 153);
  resize(std::max(317, sizeHint().width()), std::max(153, sizeHint().height()));
  setFixedSize(size());
}

void AboutDialog::Label2Click() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageAddress)));
}

}  // namespace tw
