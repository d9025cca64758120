#include "lang/TextTable.h"

namespace tw {

namespace {

// Index = slot. Slots without a built-in text are empty.
constexpr const char* kBuiltin[kBuiltinSlots + 1] = {
    "",
    "",
    "File",
    "Strings",
    "Files",
    "Backup Files",
    "New Configuration",
    "Open Configuration",
    "Save Configuration",
    "Save Configuration As",
    "Options",  // 10
    "Exit",
    "Add",
    "Edit",
    "Delete",
    "Add",
    "Scan",
    "Delete",
    "Delete",
    "Check all",
    "Uncheck All",  // 20
    "Browse File",
    "Edit File",
    "Open File",
    "Create Backup Files",
    "Restore Backup Files",
    "Delete Backup Files",
    "Help",
    "Help Topics",
    "Brindlecove homepage",
    "",  // 30
    "",
    "About",
    "Case sensitive",
    "Whole words only",
    "Allow script %anything%",
    "Confirm every replacement",
    "Regular expressions",
    "Go",
    "Find",
    "Replace with",  // 40
    "Save changes and close",
    "Discard changes and close",
    "Wrap text",
    "Return to normal state",
    "Select directory",
    "Recurse subdirectory",
    "Specify extension",
    "Advanced>>",
    "Normal",
    "File Size",  // 50
    "Date between",
    "Not older than",
    "With attributes",
    "Archive",
    "Read only",
    "Cancel",
    "General",
    "AutoSave window size and position",
    "Load previous project at startup",
    "Confirm deletion of the selected files",  // 60
    "Confirm deletion of all files",
    "Confirm deletion of the selected strings",
    "Confirm every replacement",
    "Confirm deletion of backup files",
    "Confirm on exit",
    "Replace",
    "Remove trailing spaces",
    "Remove leading spaces",
    "Save as Unix file",
    "Save old date",  // 70
    "Save old attributes",
    "",
    "",
    "Version",
    "Replacement",
    "Replace all",
    "Skip",
    "Skip all",
    "Files to process",
    "Processing file",  // 80
    "Total progress",
    "Save results",
    "Textwright made 1 replacement in 1 file",
    "1 replacement made",
    "Warning",
    "You must close the Edit mode",
    "You must close the Browse mode",
    "",
    "",
    "",  // 90
    "",
    "",
    "Repalce this occurence",
    "Skip this occurence",
    "Replace All in All files",
    "Skip All in All files",
    "Replace All in THIS file",
    "Skip All in THIS file",
    "Tip of the Day...",
    "RTF replace",  // 100
    "Process RTF files as simple text files",
    "Process RTF files as rich text format files",
    "Language",
    "You didn't specify files to perform replacement at!",
    "You didn't specify find and replace string!",
};

}  // namespace

const char* builtinText(int slot) {
  return slot >= 1 && slot <= kBuiltinSlots ? kBuiltin[slot] : "";
}

void TextTable::loadBuiltinTexts() {
  for (int slot = 1; slot <= kBuiltinSlots; ++slot) m_slots[size_t(slot - 1)] = kBuiltin[slot];
}

const std::string& TextTable::text(int slot) const {
  static const std::string kNone;
  return slot >= 1 && slot <= kTextSlots ? m_slots[size_t(slot - 1)] : kNone;
}

void TextTable::set(int slot, std::string text) {
  if (slot >= 1 && slot <= kTextSlots) m_slots[size_t(slot - 1)] = std::move(text);
}

}  // namespace tw
