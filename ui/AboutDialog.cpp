#include "ui/AboutDialog.h"

#include "ui/TipsDialog.h"
#include "ui/Version.h"

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

  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(2);
  auto* iconLabel = new QLabel(frame);
  const QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find-replace"),
                                      style()->standardIcon(QStyle::SP_FileDialogContentsView));
  iconLabel->setPixmap(icon.pixmap(48, 48));
  iconLabel->setAccessibleName(QStringLiteral("Textwright"));
  auto* productName = new QLabel(QStringLiteral("Textwright by Brindlecove"), frame);
  QFont bold = productName->font();
  bold.setBold(true);
  productName->setFont(bold);
  m_versionLabel = new QLabel(QStringLiteral("Version ") + programVersion(), frame);
  auto* dateLabel = new QLabel(QStringLiteral("08 July 2002"), frame);
  const QString home = QString::fromLatin1(kHomePageAddress);
  auto* homeLink = new QLabel(frame);
  homeLink->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(home));
  homeLink->setTextFormat(Qt::RichText);
  homeLink->setCursor(Qt::PointingHandCursor);
  homeLink->setAccessibleName(home);
  homeLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(homeLink, &QLabel::linkActivated, this, &AboutDialog::onHomePageLink);

  auto* grid = new QGridLayout(frame);
  grid->addWidget(iconLabel, 0, 0, 4, 1, Qt::AlignTop);
  grid->addWidget(productName, 0, 1);
  grid->addWidget(m_versionLabel, 1, 1);
  grid->addWidget(dateLabel, 2, 1);
  grid->addWidget(homeLink, 3, 1);
  grid->setColumnStretch(1, 1);
  grid->setHorizontalSpacing(16);

  auto* okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  // Enter closes the box: the button has the focus first, before the link.
  setTabOrder(okButton, homeLink);
  okButton->setFocus();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame, 1);
  layout->addWidget(okButton, 0, Qt::AlignHCenter);

  setMinimumSize(317, 153);
  resize(std::max(317, sizeHint().width()), std::max(153, sizeHint().height()));
  setFixedSize(size());
}

void AboutDialog::onHomePageLink() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageAddress)));
}

}  // namespace tw
