#include "ui/QtPrompts.h"
#include "ui/QtText.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tw {

namespace {

QMessageBox::Icon qtIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Warning:
      return QMessageBox::Warning;
    case PromptIcon::Question:
      return QMessageBox::Question;
    case PromptIcon::Error:
      return QMessageBox::Critical;
    case PromptIcon::Information:
      return QMessageBox::Information;
    case PromptIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QStringList nameFilters(const std::vector<FileFilter>& filters) {
  QStringList list;
  for (const FileFilter& f : filters) list << qtNameFilter(f);
  return list;
}

void setUpDialog(QFileDialog& dialog, const QString& title, const std::vector<FileFilter>& filters,
                 const std::string& folder) {
  dialog.setWindowTitle(title);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!filters.empty()) dialog.setNameFilters(nameFilters(filters));
  if (!folder.empty()) dialog.setDirectory(fromStd(folder));
  dialog.setSizeGripEnabled(true);
}

}  // namespace

QString qtNameFilter(const FileFilter& filter) {
  QStringList patterns;
  for (QString p : fromStd(filter.pattern).split(u';', Qt::SkipEmptyParts)) {
    p.remove(u' ');
    if (p.isEmpty()) continue;
    patterns << (p == u"*.*" ? QStringLiteral("*") : p);
  }
  return fromStd(filter.caption) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
         QLatin1Char(')');
}

PromptAnswer QtPrompts::ask(const std::string& text, const std::string& caption,
                            PromptButtons buttons, PromptIcon icon) {
  QMessageBox box(qtIcon(icon), fromStd(caption), fromStd(text), QMessageBox::NoButton, m_parent);
  switch (buttons) {
    case PromptButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case PromptButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    case PromptButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok:
      return PromptAnswer::Ok;
    case QMessageBox::Yes:
      return PromptAnswer::Yes;
    case QMessageBox::No:
      return PromptAnswer::No;
    default:
      break;
  }
  return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
}

void QtPrompts::inform(const std::string& text, const std::string& caption, PromptIcon icon) {
  QMessageBox box(qtIcon(icon), fromStd(caption), fromStd(text), QMessageBox::Ok, m_parent);
  box.exec();
}

std::optional<std::string> QtPrompts::chooseOpenFile(const std::string& title,
                                                     const std::vector<FileFilter>& filters,
                                                     const std::string& folder) {
  QFileDialog dialog(m_parent);
  setUpDialog(dialog, fromStd(title), filters, folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return toStd(dialog.selectedFiles().front());
}

std::vector<std::string> QtPrompts::chooseOpenFiles(const std::string& title,
                                                    const std::vector<FileFilter>& filters,
                                                    const std::string& folder) {
  QFileDialog dialog(m_parent);
  setUpDialog(dialog, fromStd(title), filters, folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setOption(QFileDialog::ReadOnly, false);
  std::vector<std::string> names;
  if (dialog.exec() != QDialog::Accepted) return names;
  for (const QString& name : dialog.selectedFiles()) names.push_back(toStd(name));
  return names;
}

std::optional<SaveChoice> QtPrompts::chooseSaveFile(const std::string& title,
                                                    const std::vector<FileFilter>& filters,
                                                    const std::string& folder) {
  QFileDialog dialog(m_parent);
  setUpDialog(dialog, fromStd(title), filters, folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The overwrite question covers the name as entered; no default suffix is added here.
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  SaveChoice choice;
  choice.path = toStd(dialog.selectedFiles().front());
  // With the details hidden the dialog names the selected filter by its caption alone.
  const QString selected = dialog.selectedNameFilter();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (selected == fromStd(filters[i].caption) || selected == qtNameFilter(filters[i])) {
      choice.filterIndex = int(i);
      break;
    }
  }
  return choice;
}

}  // namespace tw
