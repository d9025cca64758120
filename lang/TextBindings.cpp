#include "lang/TextBindings.h"

#include <algorithm>

namespace tw {

namespace {

constexpr TextBinding kBindings[] = {
    // The main window: menus, then groups and their controls.
    {2, "TForm1", "File1"},
    {3, "TForm1", "Strings1"},
    {3, "TForm1", "GroupBox3"},
    {4, "TForm1", "Files1"},
    {4, "TForm1", "GroupBox1"},
    {5, "TForm1", "BackupFiles1"},
    {6, "TForm1", "New1"},
    {7, "TForm1", "Open1"},
    {8, "TForm1", "Save1"},
    {9, "TForm1", "SaveAs1"},
    {10, "TForm1", "Options1"},
    {10, "TForm1", "GroupBox2"},
    {11, "TForm1", "Exit1"},
    {12, "TForm1", "AddString1"},
    {12, "TForm1", "BitBtn4"},
    {13, "TForm1", "EditString1"},
    {14, "TForm1", "DeleteString1"},
    {14, "TForm1", "BitBtn5"},
    {15, "TForm1", "AddFiles1"},
    {15, "TForm1", "BitBtn1"},
    {16, "TForm1", "ScanforFiles1"},
    {16, "TForm1", "BitBtn2"},
    {17, "TForm1", "DeleteFile1"},
    {17, "TForm1", "BitBtn3"},
    {18, "TForm1", "DeleteallFiles1"},
    {19, "TForm1", "CheckAll1"},
    {20, "TForm1", "UncheckAll1"},
    {21, "TForm1", "BrowseFile1"},
    {21, "TForm1", "GroupBox1/Button1"},
    {22, "TForm1", "EditFile1"},
    {22, "TForm1", "GroupBox1/Button3"},
    {23, "TForm1", "OpenFile1"},
    {24, "TForm1", "CreateBackupFiles1"},
    {24, "TForm1", "GroupBox2/CheckBox3"},
    {25, "TForm1", "RestoreBackupFiles1"},
    {26, "TForm1", "DeleteBackupFiles1"},
    {27, "TForm1", "Help1"},
    {28, "TForm1", "HelpTopics1"},
    {29, "TForm1", "Brindlecovehomepage1"},
    {32, "TForm1", "About1"},
    {33, "TForm1", "GroupBox2/CheckBox1"},
    {34, "TForm1", "GroupBox2/CheckBox2"},
    {35, "TForm1", "GroupBox2/CheckBox4"},
    {36, "TForm1", "GroupBox2/CheckBox5"},
    {37, "TForm1", "GroupBox2/CheckBox6"},
    {38, "TForm1", "BitBtn6"},
    {39, "TForm1", "GroupBox3/Label1"},
    {39, "TForm1", "StringGrid1", "header0"},
    {40, "TForm1", "GroupBox3/Label2"},
    {40, "TForm1", "StringGrid1", "header1"},
    // The edit and browse modes, inside the files group.
    {41, "TForm1", "GroupBox1/Button4"},
    {42, "TForm1", "GroupBox1/Button5"},
    {43, "TForm1", "GroupBox1/WrapText1"},
    {44, "TForm1", "GroupBox1/Button2"},
    {99, "TForm1", "TipoftheDay1"},
    // The confirmation dialog; its three lines are overwritten for each occurrence.
    {2, "TForm2", "Label1"},
    {39, "TForm2", "Label2"},
    {40, "TForm2", "Label3"},
    {93, "TForm2", "Button1"},
    {94, "TForm2", "Button3"},
    {95, "TForm2", "Button2"},
    {96, "TForm2", "Button4"},
    {97, "TForm2", "Button5"},
    {98, "TForm2", "Button6"},
    // The processing window.
    {79, "TForm9", "Label1"},
    {80, "TForm9", "Label2"},
    {81, "TForm9", "Label3"},
    // The results window.
    {82, "TForm5", "Button2"},
    // The options dialog.
    {57, "TOptions", "PageControl1", "tab0"},
    {66, "TOptions", "PageControl1", "tab1"},
    {103, "TOptions", "PageControl1", "tab2"},
    {58, "TOptions", "CheckBox1"},
    {59, "TOptions", "CheckBox2"},
    {60, "TOptions", "CheckBox5"},
    {61, "TOptions", "CheckBox6"},
    {62, "TOptions", "CheckBox7"},
    {63, "TOptions", "CheckBox8"},
    {64, "TOptions", "CheckBox13"},
    {65, "TOptions", "CheckBox9"},
    {67, "TOptions", "CheckBox3"},
    {68, "TOptions", "CheckBox4"},
    {69, "TOptions", "CheckBox10"},
    {70, "TOptions", "CheckBox11"},
    {71, "TOptions", "CheckBox12"},
    {101, "TOptions", "RadioButton1"},
    {102, "TOptions", "RadioButton2"},
    {103, "TOptions", "Label1"},
    // The scan dialog.
    {16, "TForm7", "Button1"},
    {45, "TForm7", "Label1"},
    {46, "TForm7", "CheckBox1"},
    {47, "TForm7", "Label2"},
    {48, "TForm7", "Button3"},
    {50, "TForm7", "CheckBox2"},
    {51, "TForm7", "CheckBox3"},
    {52, "TForm7", "CheckBox4"},
    {53, "TForm7", "CheckBox5"},
    {54, "TForm7", "CheckBox6"},
    {55, "TForm7", "CheckBox8"},
    {56, "TForm7", "Button2"},
};

}  // namespace

std::span<const TextBinding> textBindings() {
  return kBindings;
}

std::vector<int> usedSlots() {
  std::vector<int> slots = {kNoFilesSlot, kNoPairsSlot, kWarningSlot, kCloseEditModeSlot,
                            kCloseBrowseModeSlot};
  for (const TextBinding& b : kBindings) slots.push_back(b.slot);
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  return slots;
}

}  // namespace tw
