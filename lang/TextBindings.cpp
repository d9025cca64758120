#include "lang/TextBindings.h"

#include <algorithm>

namespace tw {

namespace {

constexpr TextBinding kBindings[] = {
    // The main window: menus, then groups and their controls.
    {2, "MainWindow", "File1"},
    {3, "MainWindow", "Strings1"},
    {3, "MainWindow", "GroupBox3"},
    {4, "MainWindow", "Files1"},
    {4, "MainWindow", "GroupBox1"},
    {5, "MainWindow", "BackupFiles1"},
    {6, "MainWindow", "New1"},
    {7, "MainWindow", "Open1"},
    {8, "MainWindow", "Save1"},
    {9, "MainWindow", "SaveAs1"},
    {10, "MainWindow", "Options1"},
    {10, "MainWindow", "GroupBox2"},
    {11, "MainWindow", "Exit1"},
    {12, "MainWindow", "AddString1"},
    {12, "MainWindow", "BitBtn4"},
    {13, "MainWindow", "EditString1"},
    {14, "MainWindow", "DeleteString1"},
    {14, "MainWindow", "BitBtn5"},
    {15, "MainWindow", "AddFiles1"},
    {15, "MainWindow", "BitBtn1"},
    {16, "MainWindow", "ScanforFiles1"},
    {16, "MainWindow", "BitBtn2"},
    {17, "MainWindow", "DeleteFile1"},
    {17, "MainWindow", "BitBtn3"},
    {18, "MainWindow", "DeleteallFiles1"},
    {19, "MainWindow", "CheckAll1"},
    {20, "MainWindow", "UncheckAll1"},
    {21, "MainWindow", "BrowseFile1"},
    {21, "MainWindow", "GroupBox1/Button1"},
    {22, "MainWindow", "EditFile1"},
    {22, "MainWindow", "GroupBox1/Button3"},
    {23, "MainWindow", "OpenFile1"},
    {24, "MainWindow", "CreateBackupFiles1"},
    {24, "MainWindow", "GroupBox2/CheckBox3"},
    {25, "MainWindow", "RestoreBackupFiles1"},
    {26, "MainWindow", "DeleteBackupFiles1"},
    {27, "MainWindow", "Help1"},
    {28, "MainWindow", "HelpTopics1"},
    {29, "MainWindow", "Brindlecovehomepage1"},
    {32, "MainWindow", "About1"},
    {33, "MainWindow", "GroupBox2/CheckBox1"},
    {34, "MainWindow", "GroupBox2/CheckBox2"},
    {35, "MainWindow", "GroupBox2/CheckBox4"},
    {36, "MainWindow", "GroupBox2/CheckBox5"},
    {37, "MainWindow", "GroupBox2/CheckBox6"},
    {38, "MainWindow", "BitBtn6"},
    {39, "MainWindow", "GroupBox3/Label1"},
    {39, "MainWindow", "StringGrid1", "header0"},
    {40, "MainWindow", "GroupBox3/Label2"},
    {40, "MainWindow", "StringGrid1", "header1"},
    // The edit and browse modes, inside the files group.
    {41, "MainWindow", "GroupBox1/Button4"},
    {42, "MainWindow", "GroupBox1/Button5"},
    {43, "MainWindow", "GroupBox1/WrapText1"},
    {44, "MainWindow", "GroupBox1/Button2"},
    {99, "MainWindow", "TipoftheDay1"},
    // The options dialog.
    {57, "OptionsDialog", "PageControl1", "tab0"},
    {66, "OptionsDialog", "PageControl1", "tab1"},
    {103, "OptionsDialog", "PageControl1", "tab2"},
    {58, "OptionsDialog", "CheckBox1"},
    {59, "OptionsDialog", "CheckBox2"},
    {60, "OptionsDialog", "CheckBox5"},
    {61, "OptionsDialog", "CheckBox6"},
    {62, "OptionsDialog", "CheckBox7"},
    {63, "OptionsDialog", "CheckBox8"},
    {64, "OptionsDialog", "CheckBox13"},
    {65, "OptionsDialog", "CheckBox9"},
    {67, "OptionsDialog", "CheckBox3"},
    {68, "OptionsDialog", "CheckBox4"},
    {69, "OptionsDialog", "CheckBox10"},
    {70, "OptionsDialog", "CheckBox11"},
    {71, "OptionsDialog", "CheckBox12"},
    {101, "OptionsDialog", "RadioButton1"},
    {102, "OptionsDialog", "RadioButton2"},
    {103, "OptionsDialog", "Label1"},
    // The scan dialog.
    {16, "ScanDialog", "Button1"},
    {45, "ScanDialog", "Label1"},
    {46, "ScanDialog", "CheckBox1"},
    {47, "ScanDialog", "Label2"},
    {48, "ScanDialog", "Button3"},
    {50, "ScanDialog", "CheckBox2"},
    {51, "ScanDialog", "CheckBox3"},
    {52, "ScanDialog", "CheckBox4"},
    {53, "ScanDialog", "CheckBox5"},
    {54, "ScanDialog", "CheckBox6"},
    {55, "ScanDialog", "CheckBox8"},
    {56, "ScanDialog", "Button2"},
};

}  // namespace

std::span<const TextBinding> textBindings() {
  return kBindings;
}

std::span<const int> shownSlots() {
  static constexpr int kShown[] = {
      2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,  18,  19, 20, 21, 22,
      23, 24, 25, 26, 27, 28, 29, 32, 33, 34, 35, 36, 37, 38, 39, 40,  41,  42, 43, 44, 45,
      46, 47, 48, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62,  63,  64, 65, 66, 67,
      68, 69, 70, 71, 79, 80, 81, 82, 93, 94, 95, 96, 97, 98, 99, 101, 102, 103};
  return kShown;
}

std::vector<int> usedSlots() {
  std::vector<int> slots(shownSlots().begin(), shownSlots().end());
  slots.insert(slots.end(), {kNoFilesSlot, kNoPairsSlot, kWarningSlot, kCloseEditModeSlot,
                             kCloseBrowseModeSlot});
  std::sort(slots.begin(), slots.end());
  return slots;
}

}  // namespace tw
